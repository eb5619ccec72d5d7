// The timer's enabled and interval semantics through the fake scheduler, and real thread timers
// that tick through a plain message loop without any window.
#include <gtest/gtest.h>

#include "classlib/Timer.h"
#include "tests/win/support/FakeTimerScheduler.h"

#include <memory>

namespace vek {
namespace {

using namespace vek::testing;

class TimerTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeTimerScheduler scheduler{clock};
    int ticks = 0;
    TTimer::Handler count = [this] { ++ticks; };
};

TEST_F(TimerTest, TicksEveryIntervalWhileEnabled) {
    TTimer timer(1000, true, count);
    EXPECT_EQ(scheduler.Advance(999), 0);
    EXPECT_EQ(scheduler.Advance(1), 1);
    EXPECT_EQ(scheduler.Advance(2500), 2);
    EXPECT_EQ(ticks, 3);
    timer.SetEnabled(false);
    EXPECT_EQ(scheduler.Advance(10000), 0);
    EXPECT_FALSE(scheduler.IsArmed(timer));
}

TEST_F(TimerTest, NoHandlerOrDisabledMeansNotArmed) {
    TTimer disabled(1000, false, count);
    TTimer withoutHandler(1000, true);
    EXPECT_FALSE(scheduler.IsArmed(disabled));
    EXPECT_FALSE(scheduler.IsArmed(withoutHandler));
    withoutHandler.SetOnTimer(count);
    EXPECT_EQ(scheduler.DueIn(withoutHandler), 1000u);
}

TEST_F(TimerTest, ChangingTheIntervalOfAnEnabledTimerRestartsIt) {
    TTimer timer(1000, true, count);
    scheduler.Advance(600);
    timer.SetInterval(2000);
    EXPECT_EQ(scheduler.DueIn(timer), 2000u);
    scheduler.Advance(500);
    // The same interval again changes nothing.
    timer.SetInterval(2000);
    EXPECT_EQ(scheduler.DueIn(timer), 1500u);
}

TEST_F(TimerTest, ReEnablingAnEnabledTimerDoesNotRestartIt) {
    TTimer timer(1000, true, count);
    scheduler.Advance(600);
    timer.SetEnabled(true);
    EXPECT_EQ(scheduler.DueIn(timer), 400u);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_EQ(scheduler.DueIn(timer), 1000u);
}

TEST_F(TimerTest, IntervalZeroNeverTicks) {
    TTimer timer(0, true, count);
    EXPECT_FALSE(scheduler.IsArmed(timer));
    EXPECT_EQ(scheduler.Advance(100000), 0);
    timer.SetInterval(50);
    EXPECT_EQ(scheduler.Advance(100), 2);
    timer.SetInterval(0);
    EXPECT_EQ(scheduler.Advance(100000), 0);
    EXPECT_TRUE(timer.Enabled());
}

TEST_F(TimerTest, AHandlerMayDisableItsOwnTimer) {
    TTimer timer(100, true);
    timer.SetOnTimer([&] {
        ++ticks;
        timer.SetEnabled(false);
    });
    EXPECT_EQ(scheduler.Advance(1000), 1);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer.Enabled());
}

TEST_F(TimerTest, AHandlerMayFreeItsOwnTimer) {
    auto timer = std::make_unique<TTimer>(100, true);
    timer->SetOnTimer([&] {
        ++ticks;
        timer.reset();
    });
    EXPECT_EQ(scheduler.Advance(1000), 1);
    EXPECT_EQ(timer, nullptr);
    EXPECT_EQ(scheduler.Advance(1000), 0);
}

TEST_F(TimerTest, AHandlerMayRearmItsOwnTimer) {
    TTimer timer(100, true);
    timer.SetOnTimer([&] {
        ++ticks;
        timer.SetInterval(1000);
    });
    EXPECT_EQ(scheduler.Advance(100), 1);
    EXPECT_EQ(scheduler.DueIn(timer), 1000u);
}

// Pumps the thread's messages until done() holds or the bound passes.
template <class Done> bool PumpUntil(Done done, DWORD boundMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= boundMs) {
            return false;
        }
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, boundMs - elapsed, QS_ALLINPUT) ==
            WAIT_OBJECT_0) {
            MSG message;
            while (!done() && ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
                if (::GetMessageA(&message, nullptr, 0, 0) <= 0) {
                    return done();
                }
                ::DispatchMessageA(&message);
            }
        }
    }
    return true;
}

TEST(ThreadTimer, TicksArriveThroughTheMessageLoopWithoutAWindow) {
    int ticks = 0;
    TTimer timer(20, true, [&] { ++ticks; });
    TTimer stopper(20, true);
    int stopperTicks = 0;
    stopper.SetOnTimer([&] {
        ++stopperTicks;
        stopper.SetEnabled(false);
    });
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 10000));
    EXPECT_EQ(stopperTicks, 1);
    timer.SetEnabled(false);
    const int seen = ticks;
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(ticks, seen);
}

} // namespace
} // namespace vek
