// The anti-freeze: while a slow request or a DNS-format wait runs, a timer of the calling thread
// keeps firing when the switch is on, and not at all when it is off.
#include "tests/win/network/NetTestSupport.h"

#include "classlib/AntiFreeze.h"
#include "tests/win/support/LoopbackSocket.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vek::testing {
namespace {

int timerTicks = 0;

void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++timerTicks; }

// A thread timer of the calling thread, counting its ticks.
class TickCounter {
public:
    TickCounter() : id_(::SetTimer(nullptr, 0, 20, &CountTick)) { timerTicks = 0; }
    ~TickCounter() { ::KillTimer(nullptr, id_); }
    int Ticks() const { return timerTicks; }

private:
    UINT_PTR id_;
};

class AntiFreezeTest : public NetworkTest, public ::testing::WithParamInterface<bool> {};

TEST_P(AntiFreezeTest, TimerFiresDuringSlowGetOnlyWithTheSwitch) {
    globals->KeepMessagesFlowing = GetParam();
    const TickCounter counter;
    EXPECT_EQ(globals->HttpGet(HttpUrl("/slow"), "", false), "slow body");
    if (GetParam()) {
        EXPECT_GE(counter.Ticks(), 10);
    } else {
        EXPECT_EQ(counter.Ticks(), 0);
    }
}

TEST_P(AntiFreezeTest, TimerFiresDuringDnsWaitOnlyWithTheSwitch) {
    globals->KeepMessagesFlowing = GetParam();
    // A port that receives but never answers.
    const LoopbackSocket silent(SOCK_DGRAM);
    const ShortUdpWait wait(1000);
    globals->Endpoints.DnsEcho1 = globals->Endpoints.DnsEcho2 = "127.0.0.1";
    globals->Endpoints.DnsEchoPort = silent.Port();
    const TickCounter counter;
    EXPECT_EQ(globals->GetRemoteIP(""), "");
    EXPECT_EQ(wait.requested, std::vector<DWORD>{5000});
    if (GetParam()) {
        EXPECT_GE(counter.Ticks(), 10);
    } else {
        EXPECT_EQ(counter.Ticks(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Switch, AntiFreezeTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

TEST(RunBlockingJob, PassesTheJobsErrorAndKeepsAQuitForTheCaller) {
    EXPECT_THROW(RunBlockingJob(true, [] { throw std::runtime_error("job failed"); }),
                 std::runtime_error);
    ::PostQuitMessage(7);
    RunBlockingJob(true, [] { ::Sleep(120); });
    MSG message;
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

} // namespace
} // namespace vek::testing
