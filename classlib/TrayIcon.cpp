#include "classlib/TrayIcon.h"

#include "classlib/ClassLibError.h"
#include "classlib/HandlerBoundary.h"
#include "classlib/UiSeams.h"
#include "classlib/WindowClass.h"

namespace vek {
namespace {

constexpr char kWindowClass[] = "TVEKTrayIconWindow";
constexpr UINT kIconId = 1;

} // namespace

TTrayIcon::TTrayIcon()
    : taskbarCreated_(::RegisterWindowMessageA("TaskbarCreated")),
      retry_(kRetryInterval, false, [this] { Add(); }) {
    WNDCLASSEXA windowClass{};
    windowClass.lpfnWndProc = &TTrayIcon::WindowProc;
    windowClass.lpszClassName = kWindowClass;
    RegisterWindowClassOnce(windowClass);
    // A hidden top-level window, not a message-only one: only top-level windows hear broadcasts.
    window_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    if (!window_) {
        const DWORD error = ::GetLastError();
        throw EClassLibError("The tray icon's window could not be created (error " +
                             std::to_string(error) + ")");
    }
    ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTrayIcon::~TTrayIcon() {
    SetActive(false);
    // The window goes last; nothing of this object may answer its messages meanwhile.
    ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK TTrayIcon::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TTrayIcon*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT TTrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TRAYICONNOTIFY) {
        RunUserAction(commandTarget_, [this, lParam] { HandleNotify(lParam); });
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // The new notification area knows no icon of ours.
        added_ = false;
        RunQuietly([this] {
            if (active_) {
                Add();
            }
        });
        return 0;
    }
    if (message == WM_DESTROY) {
        RunQuietly([this] { SetActive(false); });
    }
    return ::DefWindowProcA(window_.get(), message, wParam, lParam);
}

void TTrayIcon::HandleNotify(LPARAM mouseMessage) {
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDBLCLK:
        if (OnDblClick) {
            OnDblClick();
        }
        break;
    case WM_RBUTTONUP:
        ShowPopupMenu();
        break;
    default:
        break;
    }
}

void TTrayIcon::ShowPopupMenu() {
    if (menu_ == nullptr) {
        return;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(window_.get());
    const UINT command =
        static_cast<UINT>(::TrackPopupMenu(menu_, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                           cursor.x, cursor.y, 0, window_.get(), nullptr));
    ::PostMessageA(window_.get(), WM_NULL, 0, 0);
    // Posted, so that the command runs after the menu's loop has ended.
    if (command != 0 && commandTarget_ != nullptr) {
        ::PostMessageA(commandTarget_, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
}

void TTrayIcon::SetIcon(HICON icon) {
    icon_ = icon;
    if (added_) {
        Notify(NIM_MODIFY);
    }
}

void TTrayIcon::SetHint(const std::string& hint) {
    hint_ = hint;
    if (added_) {
        Notify(NIM_MODIFY);
    }
}

void TTrayIcon::SetPopupMenu(HMENU menu, HWND commandTarget) {
    menu_ = menu;
    commandTarget_ = commandTarget;
}

void TTrayIcon::SetActive(bool active) {
    active_ = active;
    if (active) {
        Add();
        return;
    }
    retry_.SetEnabled(false);
    if (added_) {
        Notify(NIM_DELETE);
        added_ = false;
    }
}

void TTrayIcon::Add() {
    if (!active_ || added_) {
        retry_.SetEnabled(false);
        return;
    }
    added_ = Notify(NIM_ADD);
    retry_.SetEnabled(!added_);
}

bool TTrayIcon::Notify(DWORD action) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window_.get();
    data.uID = kIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYICONNOTIFY;
    data.hIcon = icon_;
    lstrcpynA(data.szTip, hint_.c_str(), sizeof data.szTip);
    return seams::NotifyIcons().Shell_NotifyIconA(action, &data) != FALSE;
}

} // namespace vek
