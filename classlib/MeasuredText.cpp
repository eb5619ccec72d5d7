#include "classlib/MeasuredText.h"

namespace vek {

std::vector<INT> MeasuredAdvances(HDC dc, std::string_view text) {
    const int length = static_cast<int>(text.size());
    std::vector<INT> advances(text.size());
    if (length == 0) {
        return advances;
    }
    SIZE size{};
    ::GetTextExtentExPointA(dc, text.data(), length, 0, nullptr, advances.data(), &size);
    // The measure gives where each character ends: the advances are the differences.
    for (std::size_t at = advances.size() - 1; at > 0; --at) {
        advances[at] -= advances[at - 1];
    }
    return advances;
}

int DrawMeasuredText(HDC dc, int x, int y, std::string_view text, UINT options, const RECT* clip) {
    std::vector<INT> advances = MeasuredAdvances(dc, text);
    ::ExtTextOutA(dc, x, y, options, clip, text.data(), static_cast<UINT>(text.size()),
                  advances.data());
    int width = 0;
    for (const INT advance : advances) {
        width += advance;
    }
    return width;
}

} // namespace vek
