#pragma once
// How the host selection's list draws its rows, by kind: a section header centred over a rule, a
// domain over a rule on its last pixel line, a message as plain text, a group with its host count
// in blue, a host without a leading "-." and shortened with "..." to fit. Texts are centred
// vertically in the row; the font is the one selected into the device context.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vek {

inline constexpr COLORREF kRuleColor = RGB(127, 157, 185);
inline constexpr COLORREF kCountColor = RGB(0, 0, 255);
inline constexpr COLORREF kRowTextColor = RGB(0, 0, 0);

// Whole rows.
void DrawSectionRow(HDC dc, const RECT& row, const std::string& caption, COLORREF background);
void DrawDomainRow(HDC dc, const RECT& row, const std::string& caption, COLORREF background);
void DrawMessageRow(HDC dc, const RECT& row, const std::string& caption, COLORREF background);
// The label part, right of the row's check box.
void DrawGroupRow(HDC dc, const RECT& label, const std::string& caption, std::size_t hostCount,
                  COLORREF background);
void DrawHostRow(HDC dc, const RECT& label, const std::string& caption, COLORREF background);

// A host name as it is drawn: without a leading "-.".
std::string DrawnHostName(const std::string& caption);

// The text when it is not wider than limit; otherwise the longest prefix that, followed by
// "...", is narrower than limit, with the "..."; the whole text when no prefix fits.
std::string FitWithEllipsis(const std::string& text, int limit,
                            const std::function<int(std::string_view)>& width);

} // namespace vek
