#pragma once
// What one HTTP GET brought back, and the result text the program's callers read from it.
#include <windows.h>

#include <string>

namespace vek {

// Limits of one GET: the connection must stand within connectMs, and the whole request (name
// resolution, connection, request and reply) must end within totalMs.
struct HttpTimeouts {
    DWORD connectMs = 15000;
    DWORD totalMs = 60000;
};

struct HttpReply {
    int status = -1;       // the status line's code; -1 while no status line has arrived
    bool complete = false; // the whole body arrived
    std::string body;
};

inline bool IsSuccessStatus(int status) { return status >= 200 && status <= 299; }

// The body on a success status that arrived whole; the status code in decimal on any other
// status or after a failure past the status line; "-1" when no status line came.
inline std::string HttpGetResultText(const HttpReply& reply) {
    if (reply.status >= 0 && reply.complete && IsSuccessStatus(reply.status)) {
        return reply.body;
    }
    return std::to_string(reply.status);
}

} // namespace vek
