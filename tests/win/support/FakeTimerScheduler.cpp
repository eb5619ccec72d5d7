#include "tests/win/support/FakeTimerScheduler.h"

namespace vek::testing {

void FakeTimerScheduler::Arm(TTimer& timer, UINT interval) {
    armed_[&timer] = Entry{now_ + interval, interval, armings_++};
}

TTimer* FakeTimerScheduler::NextDue(std::uint64_t limit) const {
    TTimer* next = nullptr;
    const Entry* best = nullptr;
    for (const auto& [timer, entry] : armed_) {
        if (entry.due > limit) {
            continue;
        }
        if (best == nullptr || entry.due < best->due ||
            (entry.due == best->due && entry.order < best->order)) {
            best = &entry;
            next = timer;
        }
    }
    return next;
}

int FakeTimerScheduler::Advance(DWORD milliseconds) {
    const std::uint64_t target = now_ + milliseconds;
    int fired = 0;
    while (TTimer* timer = NextDue(target)) {
        Entry& entry = armed_[timer];
        clock_.Advance(static_cast<DWORD>(entry.due - now_));
        now_ = entry.due;
        entry.due += entry.interval;
        entry.order = armings_++;
        ++fired;
        timer->Tick();
    }
    clock_.Advance(static_cast<DWORD>(target - now_));
    now_ = target;
    return fired;
}

bool FakeTimerScheduler::FireNext() {
    TTimer* timer = NextDue(UINT64_MAX);
    if (timer == nullptr) {
        return false;
    }
    Advance(static_cast<DWORD>(armed_[timer].due - now_));
    return true;
}

std::optional<std::uint64_t> FakeTimerScheduler::DueIn(const TTimer& timer) const {
    const auto found = armed_.find(const_cast<TTimer*>(&timer));
    if (found == armed_.end()) {
        return std::nullopt;
    }
    return found->second.due - now_;
}

} // namespace vek::testing
