#include "Main/program/SingleInstance.h"

#include "Main/core/WindowIdentity.h"
#include "classlib/Seams.h"

namespace vek {
namespace {

// Per session ("Local\"), so that each logged-on user may run a desktop client.
constexpr char kInstanceMutex[] = "Local\\Tarvo VEK v3.0.4 desktop client";
// How long a second instance waits for the first one's window to appear.
constexpr DWORD kWindowWaitMs = 10000;
constexpr DWORD kWindowPollMs = 100;

HWND FindRunningWindow() {
    return seams::Windows().FindWindowA(kMainWindowClass, kMainWindowCaption);
}

void HandOver(HWND window) { seams::Windows().SendMessageA(window, WM_CLIENTNOTIFY, 1, 0); }

} // namespace

SingleInstance::SingleInstance() {
    mutex_.reset(::CreateMutexA(nullptr, TRUE, kInstanceMutex));
    const bool heldElsewhere = mutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (!heldElsewhere) {
        if (HWND window = FindRunningWindow()) {
            HandOver(window);
            return;
        }
        shouldRun_ = true;
        return;
    }
    // The other instance may still be creating its window: look for it for a bounded time.
    for (DWORD waited = 0; waited <= kWindowWaitMs; waited += kWindowPollMs) {
        if (HWND window = FindRunningWindow()) {
            HandOver(window);
            return;
        }
        seams::Sleeper().Sleep(kWindowPollMs);
    }
}

} // namespace vek
