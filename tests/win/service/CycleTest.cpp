// The service's IP check and update cycle, driven by the fake timers and the scripted network:
// detection, the update request, every reply code, and the faults the cycle mends.
#include "tests/win/service/ServiceCycleFixture.h"

#include "tests/win/support/FakeMainWindow.h"
#include "tests/win/support/ScopedGlobals.h"

namespace vek::testing {
namespace {

using Lines = std::vector<std::string>;
using vek::testing::PrintTo;

TEST_F(ServiceCycleTest, ARemoteAddressIsSubmittedAndWatchedExternally) {
    globals->SetRemoteInterval(600000);
    RunFirstCheck(kAddress, "a.example:1\r\nhome:0\r\n");
    EXPECT_EQ(network.boundIPs, Lines{""});
    EXPECT_EQ(network.urls, Lines{UpdateRequest(kAddress)});
    EXPECT_EQ(globals->CurrentIP, kAddress);
    EXPECT_EQ(Watching(), "external 600000");
    EXPECT_EQ(TakeLogLines(), (Lines{"Checking Remote IP address", "IP changed, submitting updates",
                                     "GoodUpdateCount=2,BadUpdatecount=0"}));

    // The same address again: nothing is sent, the next check is armed.
    network.Answer(kAddress);
    FireWatcher();
    EXPECT_EQ(network.urls.size(), 1u);
    EXPECT_EQ(Watching(), "external 600000");
    EXPECT_EQ(TakeLogLines(), Lines{"Checking Remote IP address"});
}

TEST_F(ServiceCycleTest, ALocalAddressIsRetestedWithoutRequestsUntilItLeavesTheAdapters) {
    RunFirstCheck(kLocalAddress);
    EXPECT_EQ(Watching(), "internal 5000");
    TakeLogLines();

    EXPECT_EQ(scheduler.Advance(3 * 5000), 3);
    EXPECT_EQ(network.boundIPs.size(), 1u);
    EXPECT_EQ(Watching(), "internal 5000");
    EXPECT_TRUE(TakeLogLines().empty());

    adapters->assign({"192.0.2.78"});
    network.Answer(kAddress);
    network.replies.push_back("a.example:1");
    FireWatcher();
    EXPECT_EQ(network.boundIPs.size(), 2u);
    EXPECT_EQ(network.urls.back(), UpdateRequest(kAddress));
    EXPECT_EQ(Watching(), "external 300000");
}

TEST_F(ServiceCycleTest, TheChosenAdapterBindsTheDetectionButNotTheUpdate) {
    adapters->assign({"192.0.2.78", kLocalAddress});
    globals->SetAdapter(1);
    RunFirstCheck(kAddress);
    EXPECT_EQ(network.boundIPs, Lines{kLocalAddress});
    EXPECT_EQ(network.urls, Lines{UpdateRequest(kAddress)});
}

struct FailedAnswer {
    const char* label;
    const char* answer;
    bool flipsMethod;
};

class FailedCheck : public ServiceCycleTest, public ::testing::WithParamInterface<FailedAnswer> {};

TEST_P(FailedCheck, RetriesIn10SecondsKeepingTheAddress) {
    RunFirstCheck(kAddress);
    TakeLogLines();
    globals->SetAlternateIP(false);

    network.Answer(GetParam().answer);
    FireWatcher();
    EXPECT_EQ(TakeLogLines(),
              (Lines{"Checking Remote IP address", "Error checking remote IP, will retry"}));
    EXPECT_EQ(Watching(), "external 10000");
    EXPECT_EQ(globals->CurrentIP, kAddress);
    EXPECT_EQ(globals->GetAlternateIP(), GetParam().flipsMethod);
    EXPECT_EQ(network.urls.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FailedCheck,
    ::testing::Values(FailedAnswer{"Empty", "", false}, FailedAnswer{"Private10", "10.1.2.3", true},
                      FailedAnswer{"Private172", "172.20.0.1", true},
                      FailedAnswer{"Private192", "192.168.0.1", true},
                      FailedAnswer{"SixteenByteRecord", "32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.1",
                                   false},
                      FailedAnswer{"PrivateLookingText", "10.0.0.1 <html>", false},
                      FailedAnswer{"HttpErrorPage", "<html>404</html>", false},
                      FailedAnswer{"FieldOver255", "198.51.100.256", false},
                      FailedAnswer{"Hostname", "example.com", false}),
    [](const ::testing::TestParamInfo<FailedAnswer>& info) { return info.param.label; });

// Each reply code: what counts, what is armed afterwards and what is logged.
struct CodeCase {
    const char* label;
    const char* reply;
    int good;
    int bad;
    const char* watching;
    const char* logLine; // besides the counts line; nullptr for none
};

class ReplyCode : public ServiceCycleTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(ReplyCode, ActsAsTheServicesTableSays) {
    globals->MissingHosts.Clear();
    RunFirstCheck(kAddress, GetParam().reply);
    Lines expected{"Checking Remote IP address", "IP changed, submitting updates"};
    if (GetParam().logLine != nullptr) {
        expected.push_back(GetParam().logLine);
    }
    expected.push_back("GoodUpdateCount=" + std::to_string(GetParam().good) +
                       ",BadUpdatecount=" + std::to_string(GetParam().bad));
    EXPECT_EQ(TakeLogLines(), expected);
    EXPECT_EQ(Watching(), GetParam().watching);
    EXPECT_EQ(globals->MissingHosts.Count(), static_cast<std::size_t>(GetParam().bad));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ReplyCode,
    ::testing::Values(
        CodeCase{"Good0", "a.example:0", 1, 0, "external 300000", nullptr},
        CodeCase{"Good1", "a.example:1", 1, 0, "external 300000", nullptr},
        CodeCase{"Good11", "a.example:11", 1, 0, "external 300000", nullptr},
        CodeCase{"Good12", "a.example:12", 1, 0, "external 300000", nullptr},
        CodeCase{"Bad2", "a.example:2", 0, 1, "external 300000", nullptr},
        CodeCase{"Bad8", "a.example:8", 0, 1, "external 300000", nullptr},
        CodeCase{"Bad10", "a.example:10", 0, 1, "external 300000", nullptr},
        CodeCase{"Code3", "a.example:3", 0, 0, "off", "Invalid username or password."},
        CodeCase{"Code4", "a.example:4", 0, 0, "off", "Invalid username or password."},
        CodeCase{"Code5", "a.example:5", 0, 0, "external 1800000",
                 "Update server internal error, will retry in 30 minutes."},
        CodeCase{"Code6", "a.example:6", 0, 0, "off", "User banned, client disabled."},
        CodeCase{"Code7", "a.example:7", 0, 0, "off", "User banned, client disabled."},
        CodeCase{"Code98", "a.example:98", 0, 0, "external 3600000",
                 "Update client ID banned, will retry in 60 minutes."},
        CodeCase{"Code99", "a.example:99", 0, 0, "off",
                 "Update client banned, please update to latest version."},
        CodeCase{"UnknownCode", "a.example:13", 0, 0, "external 300000", nullptr},
        CodeCase{"NegativeCode", "a.example:-5", 0, 0, "external 300000", nullptr},
        CodeCase{"NotADecimalCode", "a.example:ok\r\nhome: 1", 0, 0, "external 300000", nullptr},
        CodeCase{"HttpStatus", "500", 0, 0, "external 300000", nullptr},
        CodeCase{"EmptyReply", "", 0, 0, "external 300000", nullptr},
        CodeCase{"NoAnswer", "-1", 0, 0, "external 30000", nullptr},
        CodeCase{"NoAnswerIsNotRead", "-1\r\na.example:3", 0, 0, "external 30000", nullptr},
        CodeCase{"BareZeroIsGood", "0", 1, 0, "external 300000", nullptr},
        CodeCase{"NothingAfterColonSkipped", "a.example:\r\nhome:1", 1, 0, "external 300000",
                 nullptr}),
    [](const ::testing::TestParamInfo<CodeCase>& info) { return info.param.label; });

TEST_F(ServiceCycleTest, EffectsAccumulateInLineOrder) {
    RunFirstCheck(kAddress, "a.example:3\r\nhome:5");
    EXPECT_EQ(Watching(), "external 1800000");

    globals->SetCurrentIP("");
    network.Answer(kAddress);
    network.replies.push_back("a.example:5\nhome:3");
    FireWatcher();
    EXPECT_EQ(Watching(), "off");
}

TEST_F(ServiceCycleTest, CountsAllLinesAndAddsMissingNamesWithoutAnUpdatedLine) {
    globals->AddMissingHost("old.example");
    globals->SetUpdateList("h[]=a.example&h[]=b.example&h[]=c.example&h[]=d.example");
    RunFirstCheck(kAddress, "a.example:1\r\nb.example:12\r\nc.example:0\r\nd.example:2\r\n");
    EXPECT_EQ(TakeLogLines().back(), "GoodUpdateCount=3,BadUpdatecount=1");
    EXPECT_EQ(globals->MissingHosts.Join(","), "d.example,old.example");
    EXPECT_EQ(
        network.urls,
        Lines{UpdateRequest(kAddress, "h[]=a.example&h[]=b.example&h[]=c.example&h[]=d.example")});
}

TEST_F(ServiceCycleTest, AnEmptyUpdateListSendsNothingAndIsNotRetried) {
    globals->SetUpdateList("");
    RunFirstCheck(kAddress);
    EXPECT_TRUE(network.urls.empty());
    EXPECT_EQ(TakeLogLines().back(), "GoodUpdateCount=0,BadUpdatecount=0");
    EXPECT_EQ(Watching(), "external 300000");

    network.Answer(kAddress);
    FireWatcher();
    EXPECT_EQ(TakeLogLines(), Lines{"Checking Remote IP address"});
}

TEST_F(ServiceCycleTest, NoLogLineIsEchoedOnAStatusBar) {
    FakeMainWindow window;
    {
        const ScopedMainWindow installed(*globals, &window);
        RunFirstCheck(kAddress, "a.example:2\r\nb:3\r\nc:5\r\nd:6\r\nf:99\r\ne:98");
        network.Answer("");
        FireWatcher();
    }
    EXPECT_EQ(TakeLogLines().size(), 10u);
    EXPECT_EQ(window.statusText, "");
}

} // namespace
} // namespace vek::testing
