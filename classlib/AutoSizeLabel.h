#pragma once
// Labels sized to their captions, as the class library's auto-sized labels are, and texts kept
// inside a control's box where the font measures wider than the box was made for.
#include "classlib/WinHandles.h"

#include <windows.h>

#include <string_view>

namespace vek {

// Makes the label as wide as its caption in its own font ("&&" shown as one "&"); its place and
// height stay.
void FitLabelToCaption(HWND label);

// A font like `font`, its characters narrowed just enough that `text` measures no wider than
// `width` on one line; none when the text fits in `font` as it is.
UniqueGdiObject<HFONT> NarrowFontToFit(HFONT font, std::string_view text, int width);

// Keeps a control's caption inside its width: the control takes a narrowed form of `font` when
// the caption does not fit in it, else `font` itself. The narrowed font lives as long as this.
class TFittedCaption {
public:
    void Fit(HWND control, HFONT font, int width);

private:
    UniqueGdiObject<HFONT> narrowed_;
};

} // namespace vek
