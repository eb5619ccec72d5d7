#include "Unit1.h"

#include "ClassLibError.h"
#include "Locale.h"
#include "VEKGlobals.h"

#include <commctrl.h>

namespace vek {
namespace {

constexpr int kClientWidth = 464;
constexpr int kClientHeight = 178;
constexpr UINT kHeartbeatInterval = 60000;

struct LabelPlace {
    MainLabel label;
    const char* caption;
    int left;
    int top;
};

// The status rows: client id (row 1), the update summary (row 2).
constexpr LabelPlace kLabelPlaces[] = {
    {MainLabel::Label2, "Client ID: ", 160, 24},
    {MainLabel::Label3, "Updating: ", 160, 64},
    {MainLabel::Label4, "", 220, 64},
    {MainLabel::Label5, "", 230, 64},
    {MainLabel::Label6, "", 290, 64},
    {MainLabel::Label7, "", 300, 64},
    {MainLabel::Label8, "20", 220, 80},
    {MainLabel::Label9, " hosts/groups missing", 240, 80},
};

} // namespace

TVEK::TVEK(HINSTANCE instance)
    : instance_(instance), LastVEKTime(1, true, [this] { LastVEKTimeTimer(); }) {
    Globals->MainWindow = this;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TVEK::WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kMainWindowClass;
    windowClass.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    ::RegisterClassA(&windowClass);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_APPWINDOW);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::CreateWindowExA(WS_EX_APPWINDOW, kMainWindowClass, kMainWindowCaption, style, left, top,
                      width, height, nullptr, nullptr, instance_, this);
    if (window_ == nullptr) {
        Globals->MainWindow = nullptr;
        throw EClassLibError("The main window could not be created");
    }
    FormCreate();
}

TVEK::~TVEK() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
    if (font_ != nullptr) {
        ::DeleteObject(font_);
    }
    if (Globals->MainWindow == this) {
        Globals->MainWindow = nullptr;
    }
}

LRESULT CALLBACK TVEK::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TVEK*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TVEK*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    // No error leaves a handler: it is logged, and the window goes on.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        Globals->Log(error.what(), false);
        return 0;
    }
}

LRESULT TVEK::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLIENTNOTIFY:
        WMClientNotify(wParam, lParam);
        return 0;
    case WM_QUERYENDSESSION:
        return WMQueryEndSession();
    case WM_CLOSE:
        if (Closing) {
            ::DestroyWindow(window_);
        } else {
            FormCloseQuery();
        }
        return 0;
    case WM_DESTROY:
        window_ = nullptr;
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window_, message, wParam, lParam);
    }
}

void TVEK::FormCreate() {
    CreateControls();
    Closing = false;
    // The window starts hidden in the tray when Hidden is set and a client id is stored.
    const bool hidden = !Globals->GetCID().empty() && Globals->GetHidden();
    if (!hidden) {
        ::ShowWindow(window_, SW_SHOW);
    }
}

void TVEK::CreateControls() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font_ = ::CreateFontIndirectA(&metrics.lfMessageFont);
    }
    for (const LabelPlace& place : kLabelPlaces) {
        HWND label =
            ::CreateWindowExA(0, "STATIC", place.caption, WS_CHILD | WS_VISIBLE | SS_LEFT,
                              place.left, place.top, 10, 16, window_, nullptr, instance_, nullptr);
        ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        labels_[place.label] = label;
        FitLabel(label);
    }
    statusBar_ = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                   window_, nullptr, instance_, nullptr);
}

HWND TVEK::Label(MainLabel label) const { return labels_.at(label); }

void TVEK::FitLabel(HWND label) {
    char caption[512] = {};
    const int length = ::GetWindowTextA(label, caption, sizeof caption);
    // A label shows "&&" as one "&": measure what it shows.
    std::string shown;
    for (int i = 0; i < length; ++i) {
        if (caption[i] == '&' && i + 1 < length && caption[i + 1] == '&') {
            ++i;
        }
        shown += caption[i];
    }
    HDC dc = ::GetDC(label);
    HGDIOBJ previous =
        ::SelectObject(dc, font_ != nullptr ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(label, dc);
    RECT place{};
    ::GetWindowRect(label, &place);
    ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&place), 2);
    ::SetWindowPos(label, nullptr, 0, 0, extent.cx, place.bottom - place.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TVEK::SetLabelCaption(MainLabel label, const std::string& caption) {
    ::SetWindowTextA(Label(label), caption.c_str());
    FitLabel(Label(label));
}

void TVEK::SetLabelHint(MainLabel label, const std::string& hint) { hints_[label] = hint; }

int TVEK::LabelLeft(MainLabel label) {
    RECT place{};
    ::GetWindowRect(Label(label), &place);
    ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&place), 2);
    return place.left;
}

void TVEK::SetLabelLeft(MainLabel label, int left) {
    RECT place{};
    ::GetWindowRect(Label(label), &place);
    ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&place), 2);
    ::SetWindowPos(Label(label), nullptr, left, place.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TVEK::LabelWidth(MainLabel label) {
    RECT place{};
    ::GetWindowRect(Label(label), &place);
    return place.right - place.left;
}

void TVEK::SetLabelVisible(MainLabel label, bool visible) {
    ::ShowWindow(Label(label), visible ? SW_SHOW : SW_HIDE);
}

void TVEK::SetLightImage(StatusLight light, int imageIndex) { lights_[light] = imageIndex; }

void TVEK::SetStatusText(const std::string& text) {
    ::SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool TVEK::Visible() { return ::IsWindowVisible(window_) != FALSE; }

void TVEK::SetVisible(bool visible) { ::ShowWindow(window_, visible ? SW_SHOW : SW_HIDE); }

void TVEK::SetShowOnTaskbar(bool show) {
    // The window owns its taskbar button (WS_EX_APPWINDOW) or leaves it (a tool window has none).
    LONG_PTR style = ::GetWindowLongPtrA(window_, GWL_EXSTYLE);
    style = show ? ((style | WS_EX_APPWINDOW) & ~WS_EX_TOOLWINDOW)
                 : ((style & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    ::SetWindowLongPtrA(window_, GWL_EXSTYLE, style);
}

void TVEK::WMClientNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam == 1) {
        Show1Click();
        Globals->Log("Existing instance running and brought to front.", true);
    } else if (wParam == 2 && lParam == 1) {
        Globals->Log("Service application has started.", true);
    } else if (wParam == 2 && lParam == 2) {
        Globals->Log("Service application has stopped.", true);
    }
}

LRESULT TVEK::WMQueryEndSession() {
    Closing = true;
    return 1;
}

void TVEK::FormCloseQuery() { Globals->SetHidden(true); }

void TVEK::Show1Click() { Globals->SetHidden(false); }

void TVEK::LastVEKTimeTimer() {
    try {
        Globals->SetLastVEKTime(Now());
    } catch (const std::exception& error) {
        Globals->Log(error.what(), false);
    }
    LastVEKTime.SetEnabled(false);
    LastVEKTime.SetInterval(kHeartbeatInterval);
    LastVEKTime.SetEnabled(true);
}

} // namespace vek
