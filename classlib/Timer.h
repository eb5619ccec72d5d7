#pragma once
// A timer with the class library's semantics: it ticks every Interval ms while Enabled and a
// handler is set; changing the interval of an enabled timer restarts it, re-enabling an enabled
// one does not; an interval of 0 never ticks. Ticks arrive through the owning thread's message
// loop (thread timers, so no window and no display is needed). Tests swap the scheduler.
#include "classlib/Seams.h"

#include <functional>

namespace vek {

class TTimer;

// Arms and disarms timers; the default uses the thread timers of the calling thread.
class ITimerScheduler {
public:
    virtual ~ITimerScheduler() = default;
    virtual void Arm(TTimer& timer, UINT interval) = 0;
    virtual void Disarm(TTimer& timer) = 0;
};

ITimerScheduler& TimerScheduler();

class TTimer {
public:
    using Handler = std::function<void()>;

    explicit TTimer(UINT interval = 1000, bool enabled = false, Handler onTimer = {});
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    UINT Interval() const { return interval_; }
    void SetInterval(UINT interval);
    void SetOnTimer(Handler onTimer);

    // One tick: runs the handler. Called by the scheduler.
    void Tick();

private:
    void Update();

    UINT interval_;
    bool enabled_;
    Handler onTimer_;
    ITimerScheduler& scheduler_;
};

} // namespace vek

namespace seams {
template <> vek::ITimerScheduler*& Seam<vek::ITimerScheduler>::Current();
}
