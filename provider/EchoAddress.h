#pragma once
// The address the IP-echo servers report: the one the operator set in the store (standing for
// a public address behind NAT), or else the address the request came from. The setting is read
// from the store again for every request (for the DNS echo, every batch of datagrams received
// together), so an operator's command from another process holds for the very next request on
// every server thread. One EchoAddress serves one thread, with a store connection of its own.
#include "provider/Store.h"

#include <optional>
#include <string>
#include <string_view>

namespace vek::provider {

class EchoAddress {
public:
    explicit EchoAddress(Store& store) : store_(store) {}

    // Reads the operator's setting again. Never throws: a store failure keeps the one last read.
    void Refresh();
    // The operator's address as last read; nothing when none is set.
    const std::optional<std::string>& OperatorAddress() const { return operatorAddress_; }
    // The operator's address as last read, or else the peer's.
    std::string_view For(std::string_view peerAddress) const {
        return operatorAddress_ ? std::string_view(*operatorAddress_) : peerAddress;
    }

private:
    Store& store_;
    std::optional<std::string> operatorAddress_;
};

} // namespace vek::provider
