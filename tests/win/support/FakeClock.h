#pragma once
// Clocks of the tests, each the clock seam for its lifetime: one whose local time and tick count
// move only when a test moves them, together; one whose tick count follows a script.
#include "classlib/Seams.h"

#include "common/DateTime.h"

#include <deque>

namespace vek::testing {

class FakeClock final : public seams::IClock {
public:
    explicit FakeClock(CivilTime start = CivilTime{2026, 7, 4, 14, 5, 9, 0},
                       DWORD startTick = 100000);

    SYSTEMTIME LocalTime() override;
    DWORD TickCount() override { return tick_; }

    void Advance(DWORD milliseconds);
    void SetTime(const CivilTime& time) { now_ = ToDateTime(time); }
    void SetTick(DWORD tick) { tick_ = tick; }
    double Now() const { return now_; }

private:
    double now_;
    DWORD tick_;
    seams::Seam<seams::IClock>::Override override_{*this};
};

// A tick count that answers from a script, then repeats its last answer; the local time is all
// zero.
class ScriptedTicks final : public seams::IClock {
public:
    explicit ScriptedTicks(std::deque<DWORD> ticks) : ticks_(std::move(ticks)) {}
    SYSTEMTIME LocalTime() override { return SYSTEMTIME{}; }
    DWORD TickCount() override;

private:
    std::deque<DWORD> ticks_;
    seams::Seam<seams::IClock>::Override override_{*this};
};

} // namespace vek::testing
