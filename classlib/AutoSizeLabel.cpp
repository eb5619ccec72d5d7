#include "AutoSizeLabel.h"

#include "WinHandles.h"

namespace vek {

void FitLabelToCaption(HWND label) {
    char caption[512] = {};
    const int length = ::GetWindowTextA(label, caption, sizeof caption);
    RECT extent{0, 0, 0, 0};
    const UniqueWindowDc dc(label);
    const ScopedSelection font(dc.get(),
                               reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    ::DrawTextA(dc.get(), caption, length, &extent, DT_CALCRECT | DT_SINGLELINE);
    RECT place{};
    ::GetWindowRect(label, &place);
    // Painted whole at its new size rather than keeping its old pixels: a label resized while a
    // dialog over it has just closed would otherwise show what covered it.
    ::SetWindowPos(label, nullptr, 0, 0, extent.right, place.bottom - place.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

} // namespace vek
