#pragma once
// Listens on the provider's endpoints that the program has built in (the update server, both
// HTTP IP-echo servers, both DNS IP-echo servers) and records whatever arrives: the request line
// and user agent of every HTTP request, and every datagram. It answers each request with an
// empty 200, at once or when released, and never answers a datagram.
#include "classlib/WinHandles.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vek::testing {

class LoopbackRecorder {
public:
    struct Arrival {
        std::string endpoint;    // "address:port" that received it ("0.0.0.0:port" for UDP)
        std::string requestLine; // the HTTP request line; empty for a datagram
        std::string userAgent;   // the User-Agent header's value
    };

    LoopbackRecorder();
    ~LoopbackRecorder();
    LoopbackRecorder(const LoopbackRecorder&) = delete;
    LoopbackRecorder& operator=(const LoopbackRecorder&) = delete;

    // Whether every endpoint could be bound (another server may hold them).
    bool Listening() const { return failures_.empty(); }
    const std::string& Failures() const { return failures_; }

    std::vector<Arrival> Arrivals();
    // Waits at most boundMs for an arrival whose request line contains the text (an empty text
    // matches a datagram too).
    bool WaitForArrival(const std::string& text, DWORD boundMs);
    // Requests arriving from now on wait for ReleaseReplies (at most 60 s) before their answer.
    void HoldReplies();
    void ReleaseReplies();

private:
    void Listen(const std::string& endpoint, int type);
    void Run();
    void Serve(SOCKET connection, std::string endpoint);
    void Record(Arrival arrival);

    struct Listener {
        UniqueSocket socket;
        std::string endpoint;
        int type;
    };

    std::vector<Listener> listeners_;
    std::string failures_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Arrival> arrivals_;
    bool holding_ = false;
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> connections_;
    std::thread runner_;
};

} // namespace vek::testing
