#pragma once
// The time left of one bound on the real tick count: network limits are wall-clock limits, so
// they do not follow the clock seam. A test may hand in a tick source of its own.
#include <windows.h>

namespace vek {

class Deadline {
public:
    using TickSource = ULONGLONG(WINAPI*)();

    explicit Deadline(DWORD milliseconds, TickSource ticks = &::GetTickCount64)
        : ticks_(ticks), end_(ticks() + milliseconds) {}
    DWORD Remaining() const {
        const ULONGLONG now = ticks_();
        return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
    }

private:
    TickSource ticks_;
    ULONGLONG end_;
};

} // namespace vek
