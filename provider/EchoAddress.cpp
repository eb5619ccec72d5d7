#include "provider/EchoAddress.h"

namespace vek::provider {

void EchoAddress::Refresh() {
    try {
        operatorAddress_ = store_.EchoAddress();
    } catch (const std::exception&) {
        // A busy or failing store keeps the last known setting until the next read.
    }
}

} // namespace vek::provider
