#pragma once
// Text drawn where its measure says it stands. A font may draw its characters narrower or wider
// than it measures them (a face drawn from bitmaps made for its size, a slant the system adds):
// text placed after such a run by its measure would leave a gap or run into it. Each character
// drawn here starts where the measure of the text before it ends.
#include <windows.h>

#include <string_view>
#include <vector>

namespace vek {

// The advance of each character of the text in the font selected into the DC, as measured.
std::vector<INT> MeasuredAdvances(HDC dc, std::string_view text);

// Draws the text at x, y with ExtTextOutA's options and clip, each character at its measured
// place; returns the measured width.
int DrawMeasuredText(HDC dc, int x, int y, std::string_view text, UINT options = 0,
                     const RECT* clip = nullptr);

} // namespace vek
