#pragma once
// The program's pseudo-random generator: a 32-bit linear congruential generator whose draw from
// a range takes the high bits of seed * range.
#include <cstdint>

namespace vek {

class PseudoRandom {
public:
    void Seed(std::uint32_t seed) { state_ = seed; }
    // A number from 0 to range - 1 (0 when range is 0).
    std::uint32_t Next(std::uint32_t range) {
        state_ = state_ * 0x08088405u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * range) >> 32);
    }

private:
    std::uint32_t state_ = 0;
};

} // namespace vek
