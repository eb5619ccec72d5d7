#include "classlib/HintWindow.h"

#include "classlib/HandlerBoundary.h"
#include "classlib/MeasuredText.h"
#include "classlib/WindowClass.h"

#include <algorithm>

namespace vek {
namespace {

constexpr char kWindowClass[] = "TVEKHintWindow";
constexpr int kMarginX = 3;
constexpr int kMarginY = 2;
// The hint's top edge below the cursor's hot spot, clear of the arrow.
constexpr int kBelowCursor = 20;

// Without smoothing: a face drawn from bitmaps made for its size is never smoothed, and an italic
// the system slants itself would otherwise look lighter than the runs beside it.
HFONT MakeHintFont(const char* face, int height, bool bold, bool italic) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return ::CreateFontIndirectA(&font);
}

// The rightmost column the text leaves ink in, drawn at 0 with its measured advances in the DC's
// font; -1 when it leaves none.
int InkRight(HDC dc, std::string_view text, int measured) {
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    const int width = measured + metrics.tmHeight;
    const int height = metrics.tmHeight;
    const UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    const UniqueGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(dc, width, height));
    const ScopedSelection canvas(memory.get(), bitmap.get());
    const ScopedSelection font(memory.get(), ::GetCurrentObject(dc, OBJ_FONT));
    const RECT area{0, 0, width, height};
    ::FillRect(memory.get(), &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(memory.get(), RGB(0, 0, 0));
    ::SetBkMode(memory.get(), TRANSPARENT);
    DrawMeasuredText(memory.get(), 0, 0, text);
    for (int x = width - 1; x >= 0; --x) {
        for (int y = 0; y < height; ++y) {
            if (::GetPixel(memory.get(), x, y) != RGB(255, 255, 255)) {
                return x;
            }
        }
    }
    return -1;
}

// The top-left corner of a window of this size below the cursor, kept inside the work area of
// the cursor's monitor.
POINT PlaceBelowCursor(SIZE size) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& area = monitor.rcWork;
    POINT place{cursor.x, cursor.y + kBelowCursor};
    place.x = std::max(area.left, std::min(place.x, area.right - size.cx));
    if (place.y + size.cy > area.bottom) {
        place.y = cursor.y - size.cy;
    }
    place.y = std::max(area.top, place.y);
    return place;
}

} // namespace

THintWindow::THintWindow(const char* face, int height)
    : color_(::GetSysColor(COLOR_INFOBK)), pause_(kDefaultHintPause, false, [this] {
          pause_.SetEnabled(false);
          RunQuietly([this] { ActivateHint(); });
      }) {
    for (int style = 0; style < 4; ++style) {
        fonts_[style].reset(MakeHintFont(face, height, (style & 1) != 0, (style & 2) != 0));
    }
}

THintWindow::~THintWindow() {
    if (window_) {
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
    }
}

void THintWindow::SetColor(COLORREF color) {
    color_ = color;
    if (window_) {
        ::InvalidateRect(window_.get(), nullptr, TRUE);
    }
}

void THintWindow::MouseOver(HWND control, const std::string& text) {
    if (control == control_ && text == text_ && (Showing() || pause_.Enabled())) {
        return;
    }
    Hide();
    control_ = control;
    text_ = text;
    lines_ = ParseHintMarkup(text);
    // The control is told when the mouse leaves it.
    TRACKMOUSEEVENT tracking{sizeof tracking, TME_LEAVE, control, 0};
    ::TrackMouseEvent(&tracking);
    pause_.SetEnabled(false);
    pause_.SetEnabled(!text.empty());
}

void THintWindow::MouseLeft(HWND control) {
    if (control != control_) {
        return;
    }
    pause_.SetEnabled(false);
    Hide();
    control_ = nullptr;
}

bool THintWindow::Showing() const { return window_ && ::IsWindowVisible(window_.get()) != FALSE; }

void THintWindow::Hide() {
    if (window_) {
        ::ShowWindow(window_.get(), SW_HIDE);
    }
}

void THintWindow::ActivateHint() {
    if (text_.empty()) {
        return;
    }
    if (!window_) {
        WNDCLASSEXA windowClass{};
        windowClass.style = CS_SAVEBITS;
        windowClass.lpfnWndProc = &THintWindow::WindowProc;
        windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kWindowClass;
        RegisterWindowClassOnce(windowClass);
        window_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE,
                                        kWindowClass, "", WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr,
                                        nullptr, ::GetModuleHandleA(nullptr), nullptr));
        if (!window_) {
            return;
        }
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    SIZE text{};
    {
        const UniqueWindowDc dc(window_.get());
        text = Measure(dc.get());
    }
    RECT frame{0, 0, text.cx + 2 * kMarginX, text.cy + 2 * kMarginY};
    ::AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW);
    const SIZE size{frame.right - frame.left, frame.bottom - frame.top};
    const POINT place = PlaceBelowCursor(size);
    ::SetWindowPos(window_.get(), HWND_TOPMOST, place.x, place.y, size.cx, size.cy,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::InvalidateRect(window_.get(), nullptr, TRUE);
}

HFONT THintWindow::FontOf(const THintRun& run) const {
    return fonts_[(run.bold ? 1 : 0) + (run.italic ? 2 : 0)].get();
}

// How far the run moves the next one on: its measure, and for an italic run also the ink its slant
// puts past the measure (a slant the system adds to a face without an italic is not measured).
int THintWindow::RunAdvance(HDC dc, const THintRun& run) const {
    const std::vector<INT> advances = MeasuredAdvances(dc, run.text);
    int measured = 0;
    for (const INT advance : advances) {
        measured += advance;
    }
    return run.italic ? std::max(measured, InkRight(dc, run.text, measured) + 1) : measured;
}

SIZE THintWindow::Measure(HDC dc) const {
    SIZE total{0, 0};
    TEXTMETRICA metrics{};
    {
        const ScopedSelection font(dc, fonts_[0].get());
        ::GetTextMetricsA(dc, &metrics);
    }
    for (const THintLine& line : lines_) {
        int width = 0;
        for (const THintRun& run : line) {
            const ScopedSelection font(dc, FontOf(run));
            width += RunAdvance(dc, run);
        }
        total.cx = std::max<LONG>(total.cx, width);
        total.cy += metrics.tmHeight;
    }
    return total;
}

void THintWindow::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(window_.get(), &client);
    const UniqueGdiObject<HBRUSH> background(::CreateSolidBrush(color_));
    ::FillRect(dc, &client, background.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
    TEXTMETRICA metrics{};
    {
        const ScopedSelection font(dc, fonts_[0].get());
        ::GetTextMetricsA(dc, &metrics);
    }
    int top = kMarginY;
    for (const THintLine& line : lines_) {
        int left = kMarginX;
        for (const THintRun& run : line) {
            // Each run measured and drawn with its own font selected in this DC.
            const ScopedSelection font(dc, FontOf(run));
            DrawMeasuredText(dc, left, top, run.text);
            left += RunAdvance(dc, run);
        }
        top += metrics.tmHeight;
    }
}

LRESULT CALLBACK THintWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<THintWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(window, &paint);
        if (self != nullptr) {
            RunQuietly([self, dc] { self->Paint(dc); });
        }
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        // The mouse passes through to what lies below the hint.
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace vek
