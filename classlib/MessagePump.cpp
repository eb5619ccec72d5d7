#include "classlib/MessagePump.h"

#include <algorithm>
#include <vector>

namespace vek {
namespace {

// Windows live on the thread that made them; the pump serves the dialogs of its own thread.
thread_local std::vector<HWND> openDialogs;

bool IsOpenDialog(HWND window) {
    return std::find(openDialogs.begin(), openDialogs.end(), window) != openDialogs.end();
}

} // namespace

void AddDialogWindow(HWND dialog) {
    if (!IsOpenDialog(dialog)) {
        openDialogs.push_back(dialog);
    }
}

void RemoveDialogWindow(HWND dialog) { std::erase(openDialogs, dialog); }

void DispatchThroughDialogs(MSG& message) {
    if (message.hwnd != nullptr) {
        HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
        if (root != nullptr && IsOpenDialog(root) && ::IsDialogMessageA(root, &message)) {
            return;
        }
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
}

void DispatchQueued(std::optional<int>& quit) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            if (!quit) {
                quit = static_cast<int>(message.wParam);
            }
            return;
        }
        DispatchThroughDialogs(message);
    }
}

void ProcessMessages() {
    std::optional<int> quit;
    DispatchQueued(quit);
    if (quit) {
        ::PostQuitMessage(*quit);
    }
}

int RunMessageLoop() {
    MSG message;
    BOOL result;
    while ((result = ::GetMessageA(&message, nullptr, 0, 0)) > 0) {
        DispatchThroughDialogs(message);
    }
    return result == 0 ? static_cast<int>(message.wParam) : 0;
}

bool RunModalLoop(const std::function<bool()>& done) {
    MSG message;
    while (!done()) {
        const BOOL result = ::GetMessageA(&message, nullptr, 0, 0);
        if (result == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (result < 0) {
            return false;
        }
        DispatchThroughDialogs(message);
    }
    return true;
}

} // namespace vek
