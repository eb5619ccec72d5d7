// The service module: its components, the notices to the desktop client, the test whether that
// client is active and the ticks that stand aside for it, the first check, and the refusal to
// start without settings.
#include "Main/core/WindowIdentity.h"
#include "tests/win/service/ServiceCycleFixture.h"

namespace vek::testing {
namespace {

using Lines = std::vector<std::string>;
using vek::testing::PrintTo;

TEST_F(ServiceCycleTest, ModuleIsCreatedWithItsNamesAndTimers) {
    EXPECT_EQ(module->Name, "TarvoVEKService3");
    EXPECT_EQ(module->DisplayName, "TarvoVEKService3");
    EXPECT_FALSE(module->InternalIPWatcher().Enabled());
    EXPECT_EQ(module->InternalIPWatcher().Interval(), 5000u);
    EXPECT_FALSE(module->ExternalIPWatcher().Enabled());
    EXPECT_EQ(module->ExternalIPWatcher().Interval(), 300000u);
    EXPECT_TRUE(module->Startup.Enabled());
    EXPECT_EQ(scheduler.DueIn(module->Startup), 50u);
}

TEST_F(ServiceCycleTest, TheFirstCheckRuns50MillisecondsAfterCreationEvenWhileTheClientIsActive) {
    windows.clientRunning = true;
    SetHeartbeatMinutesAgo(0);
    network.Answer(kAddress);
    network.replies.push_back("a.example:1");
    EXPECT_EQ(scheduler.Advance(49), 0);
    EXPECT_TRUE(network.boundIPs.empty());
    EXPECT_EQ(scheduler.Advance(1), 1);
    EXPECT_EQ(network.urls, Lines{UpdateRequest(kAddress)});
    EXPECT_FALSE(module->Startup.Enabled());
    EXPECT_FALSE(scheduler.IsArmed(module->Startup));
}

struct ActivityCase {
    const char* label;
    bool window;
    bool heartbeatWritten;
    double heartbeatMinutesAgo;
    bool active;
};

class ClientActivity : public ServiceCycleTest,
                       public ::testing::WithParamInterface<ActivityCase> {};

TEST_P(ClientActivity, IsJudgedByTheWindowThenTheHeartbeatAndEmptiesTheMissingList) {
    windows.clientRunning = GetParam().window;
    if (GetParam().heartbeatWritten) {
        SetHeartbeatMinutesAgo(GetParam().heartbeatMinutesAgo);
    }
    globals->AddMissingHost("gone.example");
    EXPECT_EQ(module->IsClientActive(), GetParam().active);
    EXPECT_EQ(globals->MissingHosts.Count(), GetParam().active ? 0u : 1u);
    EXPECT_EQ(windows.lookups.front(), "TVEK|Tarvo VEK v3.0.4");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClientActivity,
    ::testing::Values(ActivityCase{"WindowPresent", true, false, 0, true},
                      ActivityCase{"WindowPresentOldHeartbeat", true, true, 60, true},
                      ActivityCase{"HeartbeatFourMinutesOld", false, true, 4, true},
                      ActivityCase{"HeartbeatJustUnderFiveMinutes", false, true, 4.99, true},
                      ActivityCase{"HeartbeatFiveMinutesOld", false, true, 5, false},
                      ActivityCase{"HeartbeatNeverWritten", false, false, 0, false},
                      ActivityCase{"HeartbeatFourMinutesAhead", false, true, -4, true},
                      ActivityCase{"HeartbeatFiveMinutesAhead", false, true, -5, false}),
    [](const ::testing::TestParamInfo<ActivityCase>& info) { return info.param.label; });

TEST_F(ServiceCycleTest, ExternalTicksStandAsideWhileTheClientIsActive) {
    RunFirstCheck(kAddress, "a.example:2\r\nhome:1");
    EXPECT_EQ(globals->MissingHosts.Count(), 1u);
    TakeLogLines();

    windows.clientRunning = true;
    EXPECT_EQ(scheduler.Advance(2 * 300000), 2);
    EXPECT_EQ(network.boundIPs.size(), 1u);
    EXPECT_EQ(globals->MissingHosts.Count(), 0u);
    EXPECT_EQ(Watching(), "external 300000");
    EXPECT_EQ(scheduler.DueIn(module->ExternalIPWatcher()), 300000u);
    EXPECT_TRUE(TakeLogLines().empty());

    // The client went away a while ago: the next tick checks, and the new address goes out
    // with every selected item.
    windows.clientRunning = false;
    SetHeartbeatMinutesAgo(5);
    network.Answer(kOtherAddress);
    network.replies.push_back("a.example:1\r\nhome:1");
    EXPECT_EQ(scheduler.Advance(300000), 1);
    EXPECT_EQ(network.urls.back(), UpdateRequest(kOtherAddress));
}

TEST_F(ServiceCycleTest, InternalTicksStandAsideWhileTheClientIsActive) {
    RunFirstCheck(kLocalAddress);
    EXPECT_EQ(Watching(), "internal 5000");
    adapters->clear();
    globals->AddMissingHost("gone.example");
    SetHeartbeatMinutesAgo(-1);

    EXPECT_EQ(scheduler.Advance(3 * 5000), 3);
    EXPECT_EQ(network.boundIPs.size(), 1u);
    EXPECT_EQ(globals->MissingHosts.Count(), 0u);
    EXPECT_EQ(Watching(), "internal 5000");
}

TEST_F(ServiceCycleTest, StartAndStopNotifyTheClientWithABoundedWait) {
    windows.clientRunning = true;
    bool started = false;
    module->ServiceStart(started);
    EXPECT_TRUE(started);
    bool stopped = false;
    module->ServiceStop(stopped);
    EXPECT_TRUE(stopped);

    ASSERT_EQ(windows.timedMessages.size(), 2u);
    const UINT flags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
    for (std::size_t i = 0; i < 2; ++i) {
        const SentMessage& sent = windows.timedMessages[i];
        EXPECT_EQ(sent.message, WM_CLIENTNOTIFY);
        EXPECT_EQ(sent.wParam, 2u);
        EXPECT_EQ(sent.lParam, static_cast<LPARAM>(i + 1));
        EXPECT_EQ(sent.flags, flags);
        EXPECT_EQ(sent.timeout, 5000u);
    }
    EXPECT_EQ(windows.unboundedMessages, 0);
    EXPECT_EQ(windows.lookups, (Lines{"TVEK|Tarvo VEK v3.0.4", "TVEK|Tarvo VEK v3.0.4"}));
}

TEST_F(ServiceCycleTest, WithoutAClientWindowStartAndStopSendNothing) {
    bool started = false;
    module->ServiceStart(started);
    bool stopped = false;
    module->ServiceStop(stopped);
    EXPECT_TRUE(started);
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(windows.timedMessages.empty());
    EXPECT_EQ(windows.unboundedMessages, 0);
    // The stop leaves the watch timers alone.
    EXPECT_TRUE(module->Startup.Enabled());
}

} // namespace
} // namespace vek::testing
