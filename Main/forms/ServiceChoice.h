#pragma once
// The "Run as a system service" preference applied: on Windows NT the background service is
// installed, restarted or removed through the core's service front ends, and a failure is
// offered again (Retry) until it succeeds or the user gives up (Cancel).
#include <windows.h>

namespace vek {

// Wanted: the service is restarted when installed, else installed. Not wanted: it is removed
// when installed; a pass that needs no action succeeds. An error a front end raises fails its
// pass. Boxes are owned by owner.
void ApplyServiceChoice(HWND owner, bool runAsService);

} // namespace vek
