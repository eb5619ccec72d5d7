#pragma once
// Hints of controls in a small window of their own that renders the hint markup (HintMarkup.h).
// A hint shows HintPause ms after the mouse came to a control and goes when the mouse leaves the
// control.
#include "classlib/Timer.h"
#include "classlib/WinHandles.h"
#include "common/HintMarkup.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace vek {

class THintWindow {
public:
    // The class library's defaults: a pause of 500 ms, the system's tooltip colour.
    static constexpr UINT kDefaultHintPause = 500;

    // Hints are drawn in this face and height (and its bold and italic forms).
    THintWindow(const char* face, int height);
    ~THintWindow();
    THintWindow(const THintWindow&) = delete;
    THintWindow& operator=(const THintWindow&) = delete;

    void SetHintPause(UINT milliseconds) { pause_.SetInterval(milliseconds); }
    UINT HintPause() const { return pause_.Interval(); }
    void SetColor(COLORREF color);
    COLORREF Color() const { return color_; }

    // The mouse moved over a control whose hint is this text: unless that hint is shown or due,
    // it shows after the pause. An empty text shows nothing.
    void MouseOver(HWND control, const std::string& text);
    // The mouse left the control: its hint goes, or does not come.
    void MouseLeft(HWND control);

    bool Showing() const;
    const std::string& Text() const { return text_; }
    HWND Handle() const { return window_.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void ActivateHint();
    void Hide();
    void Paint(HDC dc);
    HFONT FontOf(const THintRun& run) const;
    int RunAdvance(HDC dc, const THintRun& run) const;
    // The size of the hint's text.
    SIZE Measure(HDC dc) const;

    COLORREF color_;
    UniqueGdiObject<HFONT> fonts_[4];
    UniqueWindow window_;
    HWND control_ = nullptr;
    std::string text_;
    std::vector<THintLine> lines_;
    TTimer pause_;
};

} // namespace vek
