#pragma once
// The servers' log on standard error: one whole line per call, even when several threads write.
// Request lines (server, peer, method, path, status) are written only when asked for; a path
// never carries its query, so no password, key or signature reaches the log.
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>

namespace vek::provider {

class ServerLog {
public:
    explicit ServerLog(bool logRequests) : logRequests_(logRequests) {}

    void Request(std::string_view server, std::string_view peer, std::string_view method,
                 std::string_view target, int status);
    void Line(const std::string& line);
    // A line of a kind that may repeat quickly: at most one a second, with how many were
    // dropped since the last one.
    void Throttled(const std::string& line);

private:
    const bool logRequests_;
    std::mutex mutex_;
    std::chrono::steady_clock::time_point lastThrottled_{};
    std::size_t dropped_ = 0;
};

} // namespace vek::provider
