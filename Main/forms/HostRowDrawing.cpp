#include "Main/forms/HostRowDrawing.h"

#include "classlib/MeasuredText.h"
#include "classlib/WinHandles.h"

namespace vek {
namespace {

constexpr int kRuleInset = 3;
constexpr int kCaptionIndent = 5;
constexpr int kHostIndent = 2;
// The gap the section caption leaves in its rule on each side.
constexpr int kCaptionGap = 4;

SIZE Extent(HDC dc, std::string_view text) {
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void Fill(HDC dc, const RECT& area, COLORREF color) {
    const UniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(color));
    ::FillRect(dc, &area, brush.get());
}

void Rule(HDC dc, const RECT& row, int y) {
    const UniqueGdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, kRuleColor));
    const ScopedSelection selected(dc, pen.get());
    ::MoveToEx(dc, row.left + kRuleInset, y, nullptr);
    // LineTo leaves out its end point.
    ::LineTo(dc, row.right - kRuleInset + 1, y);
}

// The text at x, centred vertically in the area and clipped to it, each character where the
// measure places it: the parts of a row are placed after one another by their measures.
void Text(HDC dc, const RECT& area, int x, std::string_view text, COLORREF color) {
    const int height = area.bottom - area.top;
    const int y = area.top + height / 2 - Extent(dc, text).cy / 2;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, color);
    DrawMeasuredText(dc, x, y, text, ETO_CLIPPED, &area);
}

} // namespace

void DrawSectionRow(HDC dc, const RECT& row, const std::string& caption, COLORREF background) {
    Fill(dc, row, background);
    Rule(dc, row, row.top + (row.bottom - row.top) / 2 + 1);
    const int width = Extent(dc, caption).cx;
    const int x = row.left + (row.right - row.left - width) / 2;
    Fill(dc, RECT{x - kCaptionGap, row.top, x + width + kCaptionGap, row.bottom}, background);
    Text(dc, row, x, caption, kRowTextColor);
}

void DrawDomainRow(HDC dc, const RECT& row, const std::string& caption, COLORREF background) {
    Fill(dc, row, background);
    Rule(dc, row, row.bottom - 1);
    Text(dc, row, row.left + kCaptionIndent, caption, kRowTextColor);
}

void DrawMessageRow(HDC dc, const RECT& row, const std::string& caption, COLORREF background) {
    Fill(dc, row, background);
    Text(dc, row, row.left + kCaptionIndent, caption, kRowTextColor);
}

void DrawGroupRow(HDC dc, const RECT& label, const std::string& caption, std::size_t hostCount,
                  COLORREF background) {
    Fill(dc, label, background);
    const std::string opening = caption + " (";
    const std::string count = std::to_string(hostCount);
    const int x = label.left + kCaptionIndent;
    Text(dc, label, x, opening, kRowTextColor);
    Text(dc, label, x + Extent(dc, opening).cx, count, kCountColor);
    Text(dc, label, x + Extent(dc, opening + count).cx, ")", kRowTextColor);
}

void DrawHostRow(HDC dc, const RECT& label, const std::string& caption, COLORREF background) {
    Fill(dc, label, background);
    const std::string fitted =
        FitWithEllipsis(DrawnHostName(caption), label.right - label.left - 2,
                        [dc](std::string_view text) { return Extent(dc, text).cx; });
    Text(dc, label, label.left + kHostIndent, fitted, kRowTextColor);
}

std::string DrawnHostName(const std::string& caption) {
    return caption.starts_with("-.") ? caption.substr(2) : caption;
}

std::string FitWithEllipsis(const std::string& text, int limit,
                            const std::function<int(std::string_view)>& width) {
    if (width(text) <= limit) {
        return text;
    }
    for (std::size_t length = text.size(); length-- > 0;) {
        std::string shortened = text.substr(0, length) + "...";
        if (width(shortened) < limit) {
            return shortened;
        }
    }
    return text;
}

} // namespace vek
