#pragma once
// The time left of one bound on the real tick count: network limits are wall-clock limits, so
// they do not follow the clock seam.
#include <windows.h>

namespace vek {

class Deadline {
public:
    explicit Deadline(DWORD milliseconds) : end_(::GetTickCount64() + milliseconds) {}
    DWORD Remaining() const {
        const ULONGLONG now = ::GetTickCount64();
        return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
    }

private:
    ULONGLONG end_;
};

} // namespace vek
