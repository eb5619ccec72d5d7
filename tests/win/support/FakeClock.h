#pragma once
// A clock whose local time and tick count move only when a test moves them, together.
#include "Seams.h"

#include "DateTime.h"

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

} // namespace vek::testing
