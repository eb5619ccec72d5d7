#include "ConnectionLimiter.h"

#include <string>

namespace vek::provider {

std::optional<ConnectionLimiter::Admission>
ConnectionLimiter::Admit(std::uint32_t peer, std::string_view peerText, std::string_view server) {
    std::string reason;
    {
        std::lock_guard lock(mutex_);
        std::size_t& fromPeer = perPeer_[peer];
        if (total_ < limits_.connections && fromPeer < limits_.connectionsPerPeer) {
            ++total_;
            ++fromPeer;
            return Admission(*this, peer);
        }
        reason = total_ >= limits_.connections
                     ? std::to_string(limits_.connections) + " connections in total"
                     : std::to_string(limits_.connectionsPerPeer) + " from this address";
        if (fromPeer == 0)
            perPeer_.erase(peer);
    }
    log_.Throttled(std::string(server) + ": connection from " + std::string(peerText) +
                   " refused: " + reason + " already open");
    return std::nullopt;
}

void ConnectionLimiter::Release(std::uint32_t peer) {
    std::lock_guard lock(mutex_);
    --total_;
    const auto found = perPeer_.find(peer);
    if (found != perPeer_.end() && --found->second == 0)
        perPeer_.erase(found);
}

} // namespace vek::provider
