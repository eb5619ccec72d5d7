#include "classlib/Timer.h"

#include <map>
#include <mutex>

namespace vek {
namespace {

// Thread timers: SetTimer without a window. The system calls TimerProc from the dispatch of the
// WM_TIMER message in the thread that armed the timer.
class ThreadTimerScheduler final : public ITimerScheduler {
public:
    void Arm(TTimer& timer, UINT interval) override {
        Disarm(timer);
        const UINT_PTR id = ::SetTimer(nullptr, 0, interval, &ThreadTimerScheduler::TimerProc);
        if (id != 0) {
            std::lock_guard lock(mutex_);
            ids_[&timer] = id;
            timers_[id] = &timer;
        }
    }

    void Disarm(TTimer& timer) override {
        std::lock_guard lock(mutex_);
        const auto found = ids_.find(&timer);
        if (found == ids_.end()) {
            return;
        }
        ::KillTimer(nullptr, found->second);
        timers_.erase(found->second);
        ids_.erase(found);
    }

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);

    TTimer* Find(UINT_PTR id);

    std::mutex mutex_;
    std::map<TTimer*, UINT_PTR> ids_;
    std::map<UINT_PTR, TTimer*> timers_;
};

// The one thread-timer scheduler. Ticks find their timer here, not through the seam, which a test
// may have switched to another scheduler while a thread timer was still armed.
ThreadTimerScheduler& ThreadTimers() { return seams::RealInstance<ThreadTimerScheduler>(); }

void CALLBACK ThreadTimerScheduler::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    TTimer* timer = ThreadTimers().Find(id);
    if (timer == nullptr) {
        return;
    }
    // Handlers catch and log at their own boundary; this only keeps a stray error from
    // unwinding through the system's message dispatch.
    try {
        timer->Tick();
    } catch (...) {
    }
}

TTimer* ThreadTimerScheduler::Find(UINT_PTR id) {
    std::lock_guard lock(mutex_);
    const auto found = timers_.find(id);
    return found == timers_.end() ? nullptr : found->second;
}

} // namespace

ITimerScheduler& TimerScheduler() { return seams::Seam<ITimerScheduler>::Get(); }

TTimer::TTimer(UINT interval, bool enabled, Handler onTimer)
    : interval_(interval), enabled_(enabled), onTimer_(std::move(onTimer)),
      scheduler_(TimerScheduler()) {
    Update();
}

TTimer::~TTimer() { scheduler_.Disarm(*this); }

void TTimer::SetEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        Update();
    }
}

void TTimer::SetInterval(UINT interval) {
    if (interval != interval_) {
        interval_ = interval;
        Update();
    }
}

void TTimer::SetOnTimer(Handler onTimer) {
    onTimer_ = std::move(onTimer);
    Update();
}

void TTimer::Tick() {
    if (enabled_ && onTimer_) {
        // A copy, so that a handler may replace the handler or free the timer.
        const Handler handler = onTimer_;
        handler();
    }
}

void TTimer::Update() {
    scheduler_.Disarm(*this);
    if (interval_ != 0 && enabled_ && onTimer_) {
        scheduler_.Arm(*this, interval_);
    }
}

} // namespace vek

namespace seams {
VEK_DEFAULT_SEAM(vek::ITimerScheduler, vek::ThreadTimerScheduler)
} // namespace seams
