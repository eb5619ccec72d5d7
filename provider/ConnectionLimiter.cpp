#include "provider/ConnectionLimiter.h"

#include <boost/asio/post.hpp>

#include <chrono>
#include <string>

namespace vek::provider {

void ConnectionLimiter::Admission::Serve(boost::asio::io_context& worker,
                                         std::weak_ptr<TrackedConnection> connection) {
    std::lock_guard lock(limiter_->mutex_);
    place_->worker = &worker;
    place_->connection = std::move(connection);
}

void ConnectionLimiter::Admission::Idle() {
    const std::int64_t now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::int64_t seen = place_->idleSince.load(std::memory_order_relaxed);
    while (seen != kClosing &&
           !place_->idleSince.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
}

bool ConnectionLimiter::Admission::Busy() {
    std::int64_t seen = place_->idleSince.load(std::memory_order_relaxed);
    while (seen != kClosing &&
           !place_->idleSince.compare_exchange_weak(seen, kBusy, std::memory_order_relaxed)) {
    }
    return seen != kClosing;
}

std::optional<ConnectionLimiter::Admission>
ConnectionLimiter::Admit(std::uint32_t peer, std::string_view peerText, std::string_view server) {
    std::string reason;
    {
        std::lock_guard lock(mutex_);
        std::size_t& fromPeer = perPeer_[peer];
        Place* toClose = nullptr;
        if (fromPeer >= limits_.connectionsPerPeer) {
            reason = std::to_string(limits_.connectionsPerPeer) + " from this address";
        } else if (places_.size() - closing_ >= limits_.connections &&
                   (toClose = ChooseToClose()) == nullptr) {
            reason = std::to_string(limits_.connections) + " connections in total";
        }
        if (reason.empty()) {
            if (toClose != nullptr) {
                boost::asio::post(*toClose->worker, [connection = toClose->connection] {
                    if (const auto open = connection.lock())
                        open->Close();
                });
            }
            ++fromPeer;
            Place& place = places_.emplace_back(peer);
            place.slot = std::prev(places_.end());
            return Admission(*this, place);
        }
        if (fromPeer == 0)
            perPeer_.erase(peer);
    }
    log_.Throttled(std::string(server) + ": connection from " + std::string(peerText) +
                   " refused: " + reason + " already open");
    return std::nullopt;
}

ConnectionLimiter::Place* ConnectionLimiter::ChooseToClose() {
    while (true) {
        Place* idlest = nullptr;
        std::int64_t since = 0;
        for (Place& place : places_) {
            const std::int64_t idle = place.idleSince.load(std::memory_order_relaxed);
            if (idle > kBusy && place.worker != nullptr && (idlest == nullptr || idle < since)) {
                idlest = &place;
                since = idle;
            }
        }
        if (idlest == nullptr)
            return nullptr;
        // Unless a request has begun on it meanwhile.
        if (idlest->idleSince.compare_exchange_strong(since, kClosing, std::memory_order_relaxed)) {
            ++closing_;
            return idlest;
        }
    }
}

void ConnectionLimiter::Release(Place& place) {
    std::lock_guard lock(mutex_);
    if (place.idleSince.load(std::memory_order_relaxed) == kClosing)
        --closing_;
    const auto found = perPeer_.find(place.peer);
    if (found != perPeer_.end() && --found->second == 0)
        perPeer_.erase(found);
    places_.erase(place.slot);
}

} // namespace vek::provider
