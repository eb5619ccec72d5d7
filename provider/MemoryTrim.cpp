#include "provider/MemoryTrim.h"

#include <malloc.h>

namespace vek::provider {

void MemoryTrim::Opened() {
    const std::size_t open = open_.fetch_add(1, std::memory_order_relaxed) + 1;
    std::size_t most = mostSinceTrim_.load(std::memory_order_relaxed);
    while (open > most &&
           !mostSinceTrim_.compare_exchange_weak(most, open, std::memory_order_relaxed)) {
    }
}

void MemoryTrim::TrimAfterBurst(std::size_t closes) {
    const std::size_t open = open_.load(std::memory_order_relaxed);
    std::size_t most = mostSinceTrim_.load(std::memory_order_relaxed);
    // One caller trims for a burst, whichever worker sees it first.
    if (most >= open + closes &&
        mostSinceTrim_.compare_exchange_strong(most, open, std::memory_order_relaxed)) {
        malloc_trim(0);
    }
}

} // namespace vek::provider
