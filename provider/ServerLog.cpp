#include "provider/ServerLog.h"

#include <iostream>

namespace vek::provider {
namespace {

constexpr auto kThrottle = std::chrono::seconds(1);

// The path of a target, its bytes that could disturb a log line shown as "?".
std::string LoggedPath(std::string_view target) {
    std::string path(target.substr(0, target.find('?')));
    for (char& c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F)
            c = '?';
    }
    return path;
}

} // namespace

void ServerLog::Request(std::string_view server, std::string_view peer, std::string_view method,
                        std::string_view target, int status) {
    if (!logRequests_)
        return;
    std::string line(server);
    line.append(" ").append(peer).append(" ").append(method).append(" ");
    line.append(LoggedPath(target)).append(" ").append(std::to_string(status));
    Line(line);
}

void ServerLog::Line(const std::string& line) {
    std::lock_guard lock(mutex_);
    std::cerr << line << "\n";
}

void ServerLog::Throttled(const std::string& line) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    if (now - lastThrottled_ < kThrottle) {
        ++dropped_;
        return;
    }
    lastThrottled_ = now;
    std::cerr << line;
    if (dropped_ > 0)
        std::cerr << " (and " << dropped_ << " more like it since the last such line)";
    std::cerr << "\n";
    dropped_ = 0;
}

} // namespace vek::provider
