#pragma once
// How many connections the servers hold, in total and per peer address. A connection beyond the
// peer's limit is refused at once. At the total limit, the connection idle longest (waiting for
// a request's first byte since its accept or its last reply) is closed to make room; when none
// is idle, the newcomer is refused. A refusal is logged once a second at most.
//
// A connection tells its place when it waits and when a request begins, without a lock: the
// limiter reads that only when it must make room, under its own lock.
#include "provider/IoPool.h"
#include "provider/Limits.h"
#include "provider/ServerLog.h"

#include <boost/asio/io_context.hpp>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace vek::provider {

class ConnectionLimiter {
    struct Place;

public:
    // Held by an admitted connection for its whole life; gives its place back when destroyed.
    class Admission {
    public:
        Admission(ConnectionLimiter& limiter, Place& place) : limiter_(&limiter), place_(&place) {}
        Admission(Admission&& other) noexcept
            : limiter_(std::exchange(other.limiter_, nullptr)), place_(other.place_) {}
        Admission(const Admission&) = delete;
        Admission& operator=(const Admission&) = delete;
        Admission& operator=(Admission&&) = delete;
        ~Admission() {
            if (limiter_)
                limiter_->Release(*place_);
        }

        // Once the connection is served: the worker that closes it to make room.
        void Serve(boost::asio::io_context& worker, std::weak_ptr<TrackedConnection> connection);
        // The connection waits for a request's first byte.
        void Idle();
        // A request's first byte has come. False when the connection has been chosen to close
        // to make room: it must not serve the request.
        bool Busy();

    private:
        ConnectionLimiter* limiter_;
        Place* place_;
    };

    ConnectionLimiter(const Limits& limits, ServerLog& log) : limits_(limits), log_(log) {}

    // peer: the IPv4 address in host order; peerText and server name it in the log.
    std::optional<Admission> Admit(std::uint32_t peer, std::string_view peerText,
                                   std::string_view server);

private:
    // The steady clock's nanoseconds since the connection became idle, or one of these.
    static constexpr std::int64_t kBusy = 0;
    static constexpr std::int64_t kClosing = -1;

    struct Place {
        explicit Place(std::uint32_t peerAddress) : peer(peerAddress) {}

        const std::uint32_t peer;
        std::atomic<std::int64_t> idleSince{kBusy};
        boost::asio::io_context* worker = nullptr; // set once, under mutex_
        std::weak_ptr<TrackedConnection> connection;
        std::list<Place>::iterator slot;
    };

    // Chooses the connection idle longest and marks it closing; nullptr when none is idle.
    // Called under mutex_.
    Place* ChooseToClose();
    void Release(Place& place);

    const Limits& limits_;
    ServerLog& log_;
    std::mutex mutex_;
    std::list<Place> places_;
    std::size_t closing_ = 0; // places marked closing, not yet released
    std::unordered_map<std::uint32_t, std::size_t> perPeer_;
};

} // namespace vek::provider
