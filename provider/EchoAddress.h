#pragma once
// The address the IP-echo servers report: the one the operator set in the store (standing for
// a public address behind NAT), or else the address the request came from. The operator's
// setting is read again at most once per refresh interval, so a change made by another process
// reaches the running servers within that interval without a store read per datagram.
#include "Store.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

namespace vek::provider {

class EchoAddress {
public:
    EchoAddress(Store& store, std::chrono::milliseconds refresh)
        : store_(store), refresh_(refresh) {}

    // Never throws: a store failure keeps the setting last read.
    std::string For(const std::string& peerAddress);

private:
    Store& store_;
    const std::chrono::milliseconds refresh_;
    std::mutex mutex_;
    std::optional<std::chrono::steady_clock::time_point> readAt_;
    std::optional<std::string> operatorAddress_;
};

} // namespace vek::provider
