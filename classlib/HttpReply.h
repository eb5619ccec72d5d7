#pragma once
// What one HTTP GET brought back (read by the portable reply reader), and its time limits.
#include "common/HttpReplyReader.h"

#include <windows.h>

namespace vek {

// Limits of one GET: the connection must stand within connectMs, and the whole request (name
// resolution, connection, request and reply) must end within totalMs.
struct HttpTimeouts {
    DWORD connectMs = 15000;
    DWORD totalMs = 60000;
};

} // namespace vek
