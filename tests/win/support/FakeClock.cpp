#include "tests/win/support/FakeClock.h"

namespace vek::testing {

FakeClock::FakeClock(CivilTime start, DWORD startTick)
    : now_(ToDateTime(start)), tick_(startTick) {}

SYSTEMTIME FakeClock::LocalTime() {
    const CivilTime civil = FromDateTime(now_);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(civil.year);
    time.wMonth = static_cast<WORD>(civil.month);
    time.wDay = static_cast<WORD>(civil.day);
    time.wHour = static_cast<WORD>(civil.hour);
    time.wMinute = static_cast<WORD>(civil.minute);
    time.wSecond = static_cast<WORD>(civil.second);
    time.wMilliseconds = static_cast<WORD>(civil.millisecond);
    return time;
}

void FakeClock::Advance(DWORD milliseconds) {
    now_ += milliseconds / 86400000.0;
    tick_ += milliseconds;
}

DWORD ScriptedTicks::TickCount() {
    const DWORD tick = ticks_.front();
    if (ticks_.size() > 1) {
        ticks_.pop_front();
    }
    return tick;
}

} // namespace vek::testing
