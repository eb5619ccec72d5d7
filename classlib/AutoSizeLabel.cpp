#include "classlib/AutoSizeLabel.h"

#include <string>

namespace vek {
namespace {

int TextWidth(HDC dc, std::string_view text) {
    RECT extent{0, 0, 0, 0};
    ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &extent,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return extent.right;
}

} // namespace

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

UniqueGdiObject<HFONT> NarrowFontToFit(HFONT font, std::string_view text, int width) {
    const UniqueWindowDc dc(nullptr);
    TEXTMETRICA metrics{};
    {
        const ScopedSelection selected(dc.get(), font);
        if (TextWidth(dc.get(), text) <= width) {
            return {};
        }
        ::GetTextMetricsA(dc.get(), &metrics);
    }
    LOGFONTA shape{};
    ::GetObjectA(font, sizeof shape, &shape);
    UniqueGdiObject<HFONT> narrowed;
    // One step of the average character's width at a time, down to the narrowest there is.
    for (LONG average = metrics.tmAveCharWidth - 1; average >= 1; --average) {
        shape.lfWidth = average;
        narrowed.reset(::CreateFontIndirectA(&shape));
        const ScopedSelection selected(dc.get(), narrowed.get());
        if (TextWidth(dc.get(), text) <= width) {
            break;
        }
    }
    return narrowed;
}

void TFittedCaption::Fit(HWND control, HFONT font, int width) {
    std::string caption(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    caption.resize(static_cast<std::size_t>(
        ::GetWindowTextA(control, caption.data(), static_cast<int>(caption.size()))));
    UniqueGdiObject<HFONT> narrowed = NarrowFontToFit(font, caption, width);
    // The control lets go of the old font before it is freed.
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(narrowed ? narrowed.get() : font),
                   TRUE);
    narrowed_ = std::move(narrowed);
}

} // namespace vek
