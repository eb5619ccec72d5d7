#include "classlib/PostedCall.h"

#include "classlib/HandlerBoundary.h"
#include "classlib/WindowClass.h"

namespace vek {
namespace {

constexpr char kWindowClass[] = "TVEKPostedCall";
constexpr UINT kRunMessage = WM_APP;

} // namespace

void TPostedCall::Post() {
    if (pending_) {
        return;
    }
    if (!window_) {
        WNDCLASSEXA windowClass{};
        windowClass.lpfnWndProc = &TPostedCall::WindowProc;
        windowClass.lpszClassName = kWindowClass;
        RegisterWindowClassOnce(windowClass);
        window_.reset(::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr));
        if (window_) {
            ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        }
    }
    pending_ = true;
    if (!window_ || !::PostMessageA(window_.get(), kRunMessage, 0, 0)) {
        Run();
    }
}

void TPostedCall::Run() {
    if (pending_) {
        pending_ = false;
        RunQuietly(call_);
    }
}

LRESULT CALLBACK TPostedCall::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunMessage) {
        if (auto* call =
                reinterpret_cast<TPostedCall*>(::GetWindowLongPtrA(window, GWLP_USERDATA))) {
            call->Run();
        }
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace vek
