#pragma once
// A timer scheduler driven by a test: armed timers fire, one at a time in due order, only while
// the test advances the fake clock. Installed for its lifetime.
#include "classlib/Timer.h"
#include "tests/win/support/FakeClock.h"

#include <cstdint>
#include <map>
#include <optional>

namespace vek::testing {

class FakeTimerScheduler final : public ITimerScheduler {
public:
    explicit FakeTimerScheduler(FakeClock& clock) : clock_(clock) {}

    void Arm(TTimer& timer, UINT interval) override;
    void Disarm(TTimer& timer) override { armed_.erase(&timer); }

    // Moves the clock forward, firing every timer that falls due on the way, in due order (a
    // periodic timer may fire several times). Returns the number of ticks fired.
    int Advance(DWORD milliseconds);
    // Fires the next due timer, moving the clock to its due time; false when none is armed.
    bool FireNext();

    bool IsArmed(const TTimer& timer) const {
        return armed_.count(const_cast<TTimer*>(&timer)) != 0;
    }
    // Milliseconds until the timer falls due, when armed.
    std::optional<std::uint64_t> DueIn(const TTimer& timer) const;

private:
    struct Entry {
        std::uint64_t due;
        UINT interval;
        std::uint64_t order; // ties fire in arming order
    };
    TTimer* NextDue(std::uint64_t limit) const;

    FakeClock& clock_;
    std::uint64_t now_ = 0;
    std::uint64_t armings_ = 0;
    std::map<TTimer*, Entry> armed_;
    seams::Seam<ITimerScheduler>::Override override_{*this};
};

} // namespace vek::testing
