#pragma once
// Labels sized to their captions, as the class library's auto-sized labels are.
#include <windows.h>

namespace vek {

// Makes the label as wide as its caption in its own font ("&&" shown as one "&"); its place and
// height stay.
void FitLabelToCaption(HWND label);

} // namespace vek
