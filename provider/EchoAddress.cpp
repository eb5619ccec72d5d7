#include "EchoAddress.h"

namespace vek::provider {

std::string EchoAddress::For(const std::string& peerAddress) {
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (!readAt_ || now - *readAt_ >= refresh_) {
        try {
            operatorAddress_ = store_.EchoAddress();
        } catch (const std::exception&) {
            // A busy or failing store keeps the last known setting until the next refresh.
        }
        readAt_ = now;
    }
    return operatorAddress_.value_or(peerAddress);
}

} // namespace vek::provider
