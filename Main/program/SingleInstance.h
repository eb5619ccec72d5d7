#pragma once
// The desktop client's single-instance rule: one instance per session claims a named mutex
// before it looks for a running window, so two instances started together cannot both run.
#include "classlib/WinHandles.h"

namespace vek {

class SingleInstance {
public:
    // Claims the session's desktop-client mutex. When another instance holds it, or a running
    // window is found, hands over (WM_CLIENTNOTIFY 1, 0) to that window when it appears within a
    // bounded time; ShouldRun() is then false.
    SingleInstance();
    bool ShouldRun() const { return shouldRun_; }

private:
    UniqueHandle mutex_;
    bool shouldRun_ = false;
};

} // namespace vek
