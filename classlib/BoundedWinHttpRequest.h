#pragma once
// Keeps one synchronous WinHTTP request within its total time, whatever WinHTTP's own time-outs
// do. Two bounds work together:
// - each step (send, receive, read) starts only before the deadline, with WinHTTP's per-step
//   time-outs set to what is left of it, the receive-response time-out included: under Wine 8
//   that one alone bounds the TLS handshake and the wait for the reply inside WinHttpSendRequest;
// - a watchdog thread closes the request's handles when the deadline passes, which cancels the
//   call pending on them where WinHTTP honours that. Wine 8 does not: there a blocked call runs on
//   until its own time-out, and closing it early only makes the next step fail.
#include "Deadline.h"
#include "WinHttpHandle.h"

#include <atomic>

namespace vek {

// The handles of one request.
struct WinHttpRequestHandles {
    UniqueInternet session;
    UniqueInternet connection;
    UniqueInternet request;
};

class BoundedWinHttpRequest {
public:
    // Takes the handles over and starts the watchdog. connectMs bounds name resolution and the
    // connection within the total.
    BoundedWinHttpRequest(WinHttpRequestHandles handles, const Deadline& total, DWORD connectMs);
    // Stops the watchdog and waits for its thread, which waits for nothing else; then closes
    // the handles the watchdog has left open.
    ~BoundedWinHttpRequest();
    BoundedWinHttpRequest(const BoundedWinHttpRequest&) = delete;
    BoundedWinHttpRequest& operator=(const BoundedWinHttpRequest&) = delete;

    // The request's handle, for the calls of a step that BeginStep allowed.
    HINTERNET Handle() const { return request_; }

    // True when the next step may run: the deadline has not passed, the watchdog runs and has
    // not closed the handles, and the step's time-outs are set.
    bool BeginStep() const;

    // The deadline passed: the watchdog closes, or has closed, the handles.
    bool Expired() const { return expired_.load(); }

private:
    static unsigned __stdcall Watch(void* self);
    void CloseHandles();

    const Deadline total_;
    const DWORD connectMs_;
    WinHttpRequestHandles handles_;
    const HINTERNET request_;
    std::atomic<bool> expired_{false};
    UniqueHandle stop_;
    UniqueHandle watchdog_;
};

} // namespace vek
