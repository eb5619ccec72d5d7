#pragma once
// Hands the memory that closed connections freed back to the system after a burst of closes:
// the allocator would otherwise keep it for good, and a process that once served thousands of
// peers would stay that large. Counts the connections of every worker together.
#include <atomic>
#include <cstddef>

namespace vek::provider {

class MemoryTrim {
public:
    void Opened();
    void Closed() { open_.fetch_sub(1, std::memory_order_relaxed); }
    // Trims when this many fewer connections are open than at the most since the last trim.
    void TrimAfterBurst(std::size_t closes);

private:
    std::atomic<std::size_t> open_{0};
    std::atomic<std::size_t> mostSinceTrim_{0};
};

} // namespace vek::provider
