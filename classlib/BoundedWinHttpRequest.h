#pragma once
// One WinHTTP request in asynchronous mode, kept within its total time. Each step (send, receive
// the reply's head, read a piece of the body) is started on the request's handle and completed
// by WinHTTP's status callback, which signals an event; the requesting thread waits on that event
// for what is left of the deadline. When the deadline passes, the requesting thread stops and
// closes the handles itself, so no thread of ours can use a handle after it is closed.
//
// WinHTTP may still finish a step of a closed request on a thread of its own (under Wine 8 it
// does, at the step's own time-out) and write into the step's buffer: the callback's state and
// the read buffer therefore live until WinHTTP reports the request handle closing.
#include "classlib/Deadline.h"
#include "classlib/WinHttpHandle.h"

#include <optional>
#include <string_view>

namespace vek {

// The handles of one request; the session must be opened with WINHTTP_FLAG_ASYNC.
struct WinHttpRequestHandles {
    UniqueInternet session;
    UniqueInternet connection;
    UniqueInternet request;
};

class BoundedWinHttpRequest {
public:
    // Takes the handles over and attaches the status callback. connectMs bounds name resolution
    // and the connection within the total.
    BoundedWinHttpRequest(WinHttpRequestHandles handles, const Deadline& total, DWORD connectMs);
    // Closes the handles without waiting for WinHTTP.
    ~BoundedWinHttpRequest();
    BoundedWinHttpRequest(const BoundedWinHttpRequest&) = delete;
    BoundedWinHttpRequest& operator=(const BoundedWinHttpRequest&) = delete;

    // The request's handle, for reading the reply's header fields once the head has arrived.
    HINTERNET Handle() const { return handles_.request.get(); }

    // Sends the request (with the given extra header lines, static text) and waits for the
    // reply's head. False on failure or when the deadline passes.
    bool SendAndReceive(const wchar_t* headers);
    // The next piece of the body, empty at its end; nothing on failure or when the deadline
    // passes. The piece stays valid until the next call.
    std::optional<std::string_view> Read();

    // The deadline passed before a step started or while one was under way.
    bool Expired() const { return expired_; }

    // How many step states are alive, process-wide: each lives until both its request object and
    // WinHTTP have let go of it (for tests).
    static long LiveStates();

private:
    struct StepState;

    static void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                  DWORD length);
    bool BeginStep();
    bool AwaitStep();

    const Deadline total_;
    const DWORD connectMs_;
    WinHttpRequestHandles handles_;
    StepState* state_;
    bool expired_ = false;
};

} // namespace vek
