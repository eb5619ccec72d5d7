// The faults the cycle mends: an update without a good reply line is submitted again at the next
// successful check; a check cannot start inside another; no error escapes a handler, and none
// leaves watching off.
#include "tests/win/service/ServiceCycleFixture.h"

#include <stdexcept>

namespace vek::testing {
namespace {

using Lines = std::vector<std::string>;
using vek::testing::PrintTo;

struct UnconfirmedReply {
    const char* label;
    const char* reply;
    // The list sent again: without the names the reply reported missing.
    const char* listAgain;
};

class UnconfirmedUpdate : public ServiceCycleTest,
                          public ::testing::WithParamInterface<UnconfirmedReply> {};

TEST_P(UnconfirmedUpdate, IsSubmittedAgainAtTheNextCheckUntilAGoodLineArrives) {
    RunFirstCheck(kAddress, GetParam().reply);
    ASSERT_EQ(network.urls.size(), 1u);
    EXPECT_TRUE(module->Cycle().SubmissionDue());
    TakeLogLines();

    network.Answer(kAddress);
    network.replies.push_back("home:1");
    FireWatcher();
    EXPECT_EQ(network.urls,
              (Lines{UpdateRequest(kAddress), UpdateRequest(kAddress, GetParam().listAgain)}));
    EXPECT_EQ(TakeLogLines(), (Lines{"Checking Remote IP address",
                                     "Previous update not confirmed, submitting updates again",
                                     "GoodUpdateCount=1,BadUpdatecount=0"}));
    EXPECT_FALSE(module->Cycle().SubmissionDue());

    // Confirmed: the same address is not sent again.
    network.Answer(kAddress);
    FireWatcher();
    EXPECT_EQ(network.urls.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, UnconfirmedUpdate,
    ::testing::Values(UnconfirmedReply{"NoAnswer", "-1", ServiceCycleTest::kUpdateList},
                      UnconfirmedReply{"ServerError", "a.example:5", ServiceCycleTest::kUpdateList},
                      UnconfirmedReply{"ClientIdDisabled", "a.example:98",
                                       ServiceCycleTest::kUpdateList},
                      UnconfirmedReply{"HttpStatus", "503", ServiceCycleTest::kUpdateList},
                      UnconfirmedReply{"Empty", "", ServiceCycleTest::kUpdateList},
                      UnconfirmedReply{"OnlyMissingNames", "a.example:2", "g[]=home"}),
    [](const ::testing::TestParamInfo<UnconfirmedReply>& info) { return info.param.label; });

TEST_F(ServiceCycleTest, AnUnconfirmedUpdateIsNotRetriedFasterThanTheChecks) {
    RunFirstCheck(kAddress, "a.example:5");
    EXPECT_EQ(Watching(), "external 1800000");
    EXPECT_EQ(scheduler.Advance(1800000 - 1), 0);
    EXPECT_EQ(network.urls.size(), 1u);
}

TEST_F(ServiceCycleTest, AnErrorWhileSendingLeavesTheArmingAndTheAddressDue) {
    globals->SetCKey("");
    RunFirstCheck(kAddress);
    EXPECT_TRUE(network.urls.empty());
    const Lines lines = TakeLogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].rfind("Error in IP check: ", 0), 0u) << lines[2];
    EXPECT_EQ(lines[2].find(kClientKey), std::string::npos);
    EXPECT_EQ(Watching(), "external 300000");

    globals->SetCKey(kClientKey);
    network.Answer(kAddress);
    network.replies.push_back("a.example:1");
    FireWatcher();
    EXPECT_EQ(network.urls, Lines{UpdateRequest(kAddress)});
}

TEST_F(ServiceCycleTest, AnErrorBeforeAnyArmingArmsTheExternalCheckIn10Seconds) {
    network.answers.push_back([]() -> std::string { throw std::runtime_error("resolver broke"); });
    scheduler.Advance(TTarvoVEKService3::kStartupInterval);
    EXPECT_EQ(TakeLogLines(),
              (Lines{"Checking Remote IP address", "Error in IP check: resolver broke"}));
    EXPECT_EQ(Watching(), "external 10000");

    network.Answer(kAddress);
    network.replies.push_back("a.example:1");
    EXPECT_EQ(scheduler.Advance(10000), 1);
    EXPECT_EQ(network.urls, Lines{UpdateRequest(kAddress)});
}

TEST_F(ServiceCycleTest, AnErrorInAWatcherTickLeavesTheWatcherArmed) {
    RunFirstCheck(kAddress);
    TakeLogLines();
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "LastVEKTime", "not a date");
    EXPECT_EQ(scheduler.Advance(300000), 1);
    const Lines lines = TakeLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Error in IP check: ", 0), 0u) << lines[0];
    EXPECT_EQ(Watching(), "external 300000");
    EXPECT_EQ(network.boundIPs.size(), 1u);
}

// No check starts inside another: a watcher tick meanwhile is dropped, and the checks asked for
// meanwhile make one more check once the one under way has ended.
TEST_F(ServiceCycleTest, ASecondCheckCannotStartInsideOneButIsRunOnceAfterIt) {
    network.answers.push_back([this] {
        EXPECT_TRUE(module->Cycle().CheckUnderWay());
        module->Cycle().CheckIP();
        module->Cycle().CheckIP();
        module->Cycle().ExternalIPWatcherTimer();
        EXPECT_EQ(network.boundIPs.size(), 1u);
        return std::string(kAddress);
    });
    network.Answer(kAddress);
    network.replies.push_back("a.example:1");
    scheduler.Advance(TTarvoVEKService3::kStartupInterval);
    EXPECT_EQ(network.boundIPs.size(), 2u);
    EXPECT_EQ(network.urls.size(), 1u);
    EXPECT_EQ(Watching(), "external 300000");
    EXPECT_FALSE(module->Cycle().CheckUnderWay());
}

} // namespace
} // namespace vek::testing
