#pragma once
// How many connections the servers hold, in total and per peer address. A connection beyond
// either limit is refused at once; the refusal is logged once a second at most.
#include "Limits.h"
#include "ServerLog.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace vek::provider {

class ConnectionLimiter {
public:
    // Held by an admitted connection for its whole life; gives its place back when destroyed.
    class Admission {
    public:
        Admission(ConnectionLimiter& limiter, std::uint32_t peer)
            : limiter_(&limiter), peer_(peer) {}
        Admission(Admission&& other) noexcept
            : limiter_(std::exchange(other.limiter_, nullptr)), peer_(other.peer_) {}
        Admission(const Admission&) = delete;
        Admission& operator=(const Admission&) = delete;
        Admission& operator=(Admission&&) = delete;
        ~Admission() {
            if (limiter_)
                limiter_->Release(peer_);
        }

    private:
        ConnectionLimiter* limiter_;
        std::uint32_t peer_;
    };

    ConnectionLimiter(const Limits& limits, ServerLog& log) : limits_(limits), log_(log) {}

    // peer: the IPv4 address in host order; peerText and server name it in the log.
    std::optional<Admission> Admit(std::uint32_t peer, std::string_view peerText,
                                   std::string_view server);

private:
    void Release(std::uint32_t peer);

    const Limits& limits_;
    ServerLog& log_;
    std::mutex mutex_;
    std::size_t total_ = 0;
    std::unordered_map<std::uint32_t, std::size_t> perPeer_;
};

} // namespace vek::provider
