#pragma once
// The bounded wait of tests on what another thread or process does: done() asked again every
// periodMs until it holds or boundMs have passed.
#include <windows.h>

namespace vek::testing {

// True as soon as done() holds; false once boundMs have passed without it.
template <class Done> bool PollUntil(Done done, DWORD boundMs, DWORD periodMs = 50) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start >= boundMs) {
            return false;
        }
        ::Sleep(periodMs);
    }
    return true;
}

} // namespace vek::testing
