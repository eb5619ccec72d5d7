// The IP check cycle on the main window: what each outcome of a check and of its update shows
// (the address line, the lights, the tray hint, the "Copy IP Address" items, the account line,
// the status bar) and logs; what a check shows while it runs; and the count-down.
#include "tests/win/forms/WindowCycleFixture.h"

#include "Main/res/ControlIds.h"

namespace vek::testing {
namespace {

using vek::testing::PrintTo;

enum class Start { RefreshNow, Watcher };

struct Step {
    Start start;
    // The detection's answer and the update's reply; nullptr where none is expected.
    const char* answer;
    const char* reply;
};

constexpr char kList[] = "h[]=a.example&g[]=home";
constexpr char kFourHosts[] = "h[]=a.example&h[]=b.example&h[]=c.example&h[]=d.example&g[]=home";
const std::string kChanged = "Checking Remote IP address; Remote IP Found: 198.51.100.7; IP "
                             "changed, submitting updates; ";
const std::string kFirstCheck =
    kChanged + "GoodUpdateCount=1,BadUpdatecount=0; Updated 1 items successfully.; ";

struct CycleRow {
    const char* label;
    std::vector<Step> steps;
    // Label1 | lights | tray hint | copy items | watching | Label11 | notice fetch || status bar
    const char* shown;
    // The lines logged and the update lists sent, each joined by "; ".
    std::string log;
    const char* sent;
    const char* updateList = kList;
    // A name on the missing list before the first step.
    const char* missingBefore = nullptr;
    // AlternateIP after the steps (it starts false).
    bool alternateIP = false;
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        joined += (joined.empty() ? "" : "; ") + line;
    }
    return joined;
}

class CycleOnTheWindow : public WindowCycleTest, public ::testing::WithParamInterface<CycleRow> {
protected:
    void Run(const Step& step) {
        if (step.answer != nullptr) {
            network.Answer(step.answer);
        }
        if (step.reply != nullptr) {
            network.replies.push_back(step.reply);
        }
        const std::size_t detections = network.boundIPs.size();
        const std::size_t requests = network.urls.size();
        if (step.start == Start::RefreshNow) {
            Click(*window, "Button7");
        } else {
            const TTimer& internal = window->InternalIPWatcher();
            const auto due =
                timers.DueIn(internal.Enabled() ? internal : window->ExternalIPWatcher());
            ASSERT_TRUE(due.has_value()) << "no watcher armed";
            timers.Advance(static_cast<DWORD>(*due));
        }
        EXPECT_EQ(network.boundIPs.size(), detections + (step.answer != nullptr ? 1 : 0));
        EXPECT_EQ(network.urls.size(), requests + (step.reply != nullptr ? 1 : 0));
    }
    bool CopyItemEnabled(HMENU menu, int id) const {
        return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) == 0;
    }
    std::string Shown() {
        const bool main = CopyItemEnabled(::GetMenu(window->Handle()), IDM_VEK_COPYIPADDRESS1);
        const bool tray = CopyItemEnabled(window->PopupMenu1(), IDM_VEK_COPYIPADDRESS2);
        const char* copy = main == tray ? (main ? "on" : "off") : "mixed";
        return window->ControlText("Label1") + " | " + Lights() + " | " + trayArea.tip +
               " | copy " + copy + " | " + Watching() + " | " + AccountLine() + " | fetch " +
               NoticeFetch() + " || " + StatusEcho();
    }
    std::string Sent() const {
        std::vector<std::string> lists;
        for (const std::string& url : network.urls) {
            const std::size_t start = url.find('?') + 1;
            lists.push_back(url.substr(start, url.find("&email=") - start));
        }
        return Joined(lists);
    }
};

TEST_P(CycleOnTheWindow, ShowsAndLogsTheOutcome) {
    const CycleRow& row = GetParam();
    Globals->SetAlternateIP(false);
    Globals->SetUpdateList(row.updateList);
    if (row.missingBefore != nullptr) {
        Globals->AddMissingHost(row.missingBefore);
    }
    for (const Step& step : row.steps) {
        Run(step);
    }
    EXPECT_EQ(Shown(), row.shown);
    EXPECT_EQ(Joined(log.Take()), row.log);
    EXPECT_EQ(Sent(), row.sent);
    EXPECT_EQ(Globals->GetAlternateIP(), row.alternateIP);
    EXPECT_TRUE(network.answers.empty() && network.replies.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, CycleOnTheWindow,
    ::testing::Values(
        CycleRow{"FirstCheckSubmits",
                 {{Start::RefreshNow, "198.51.100.7", "a.example:1\r\nhome:12"}},
                 "IP: 198.51.100.7 (Router/NAT) | 1 1 1 | Tarvo: 198.51.100.7 | copy on | "
                 "external 300000 | - | fetch off || Updated 2 items successfully.",
                 kChanged + "GoodUpdateCount=2,BadUpdatecount=0; Updated 2 items successfully.",
                 kList},
        CycleRow{"TheSameAddressSendsNothing",
                 {{Start::RefreshNow, "198.51.100.7", "a.example:1"},
                  {Start::Watcher, "198.51.100.7", nullptr}},
                 "IP: 198.51.100.7 (Router/NAT) | 1 1 1 | Tarvo: 198.51.100.7 | copy on | "
                 "external 300000 | - | fetch off || Remote IP Found: 198.51.100.7",
                 kFirstCheck + "Checking Remote IP address; Remote IP Found: 198.51.100.7",
                 kList},
        // The internal watcher finds the address still local: no request, and the IP light,
        // neutral while the count-down read "Executing...", good again.
        CycleRow{"ALocalAddressIsWatchedWithoutRequests",
                 {{Start::RefreshNow, "192.0.2.77", "a.example:1"},
                  {Start::Watcher, nullptr, nullptr},
                  {Start::Watcher, nullptr, nullptr}},
                 "IP: 192.0.2.77 (Local) | 1 1 1 | Tarvo: 192.0.2.77 | copy on | internal 5000 "
                 "| - | fetch off || Updated 1 items successfully.",
                 "Checking Remote IP address; Local IP Found: 192.0.2.77; IP changed, submitting "
                 "updates; GoodUpdateCount=1,BadUpdatecount=0; Updated 1 items successfully.",
                 kList},
        CycleRow{"AnEmptyListSendsNothing",
                 {{Start::RefreshNow, "198.51.100.7", nullptr}},
                 "IP: 198.51.100.7 (Router/NAT) | 1 1 2 | Tarvo: 198.51.100.7 | copy on | "
                 "external 300000 | - | fetch off || IP changed, submitting updates",
                 kChanged + "GoodUpdateCount=0,BadUpdatecount=0",
                 "",
                 ""},
        CycleRow{"NoAnswerRetriesIn30Seconds",
                 {{Start::RefreshNow, "198.51.100.7", "-1"}},
                 "IP: 198.51.100.7 (Router/NAT) | 2 1 2 | Tarvo: 198.51.100.7 | copy on | "
                 "external 30000 | - | fetch off || Update server unavailable, will retry in 30 "
                 "seconds.",
                 kChanged + "Update server unavailable, will retry in 30 seconds.; "
                            "GoodUpdateCount=0,BadUpdatecount=0",
                 kList},
        CycleRow{"Code3ThenCode5RetriesIn30Minutes",
                 {{Start::RefreshNow, "198.51.100.7", "a.example:3\r\nhome:5"}},
                 "IP: 198.51.100.7 (Router/NAT) | 2 2 2 | Tarvo: 198.51.100.7 | copy on | "
                 "external 1800000 | - | fetch off || Update server internal error, will retry "
                 "in 30 minutes.",
                 kChanged + "Invalid username or password.; Update server internal error, will "
                            "retry in 30 minutes.; GoodUpdateCount=0,BadUpdatecount=0",
                 kList},
        CycleRow{"Code5ThenCode3Stops",
                 {{Start::RefreshNow, "198.51.100.7", "home:5\r\na.example:3"}},
                 "IP: 198.51.100.7 (Router/NAT) | 2 2 2 | Tarvo: 198.51.100.7 | copy on | off | - "
                 "| fetch off || Invalid username or password.",
                 kChanged + "Update server internal error, will retry in 30 minutes.; Invalid "
                            "username or password.; GoodUpdateCount=0,BadUpdatecount=0",
                 kList},
        // "home" was missing before, "d.example" is reported missing now: both stay out.
        CycleRow{
            "AMissingNameIsLeftOutOfTheNextRequest",
            {{Start::RefreshNow, "198.51.100.7",
              "a.example:1\r\nb.example:0\r\nc.example:1\r\nd.example:2"},
             {Start::Watcher, "203.0.113.5", "a.example:1"}},
            "IP: 203.0.113.5 (Router/NAT) | 1 1 1 | Tarvo: 203.0.113.5 | copy on | external "
            "300000 | - | fetch off || Updated 1 items successfully, 2 selected hosts missing.",
            kChanged + "GoodUpdateCount=3,BadUpdatecount=1; Updated 3 items successfully, 2 "
                       "selected hosts missing.; Checking Remote IP address; Remote IP Found: "
                       "203.0.113.5; IP changed, submitting updates; GoodUpdateCount=1,"
                       "BadUpdatecount=0; Updated 1 items successfully, 2 selected hosts "
                       "missing.",
            "h[]=a.example&h[]=b.example&h[]=c.example&h[]=d.example; "
            "h[]=a.example&h[]=b.example&h[]=c.example",
            kFourHosts,
            "home"},
        CycleRow{"APrivateAnswerFailsAndSwitchesTheMethod",
                 {{Start::RefreshNow, "198.51.100.7", "a.example:1"},
                  {Start::Watcher, "192.168.1.20", nullptr}},
                 "IP: Error connecting to server | 2 1 1 | Tarvo: IP Unknown | copy off | "
                 "external 10000 | - | fetch off || IP Server did not respond with valid response",
                 kFirstCheck +
                     "Checking Remote IP address; IP Server did not respond with valid response",
                 kList,
                 kList,
                 nullptr,
                 true},
        CycleRow{
            "AnEmptyAnswerFailsWithoutSwitching",
            {{Start::RefreshNow, "198.51.100.7", "a.example:1"}, {Start::Watcher, "", nullptr}},
            "IP: Error connecting to server | 2 1 1 | Tarvo: IP Unknown | copy off | "
            "external 10000 | - | fetch off || IP Server did not respond with valid response",
            kFirstCheck +
                "Checking Remote IP address; IP Server did not respond with valid response",
            kList},
        CycleRow{"Code98StopsAndFetchesNoticesInAnHour",
                 {{Start::RefreshNow, "198.51.100.7", "a.example:98"}},
                 "IP: 198.51.100.7 (Router/NAT) | 2 2 2 | Tarvo: 198.51.100.7 | copy on | off | "
                 "Client ID disabled within account. | fetch 3600000 || ClientID disabled by "
                 "master account.",
                 kChanged +
                     "ClientID disabled by master account.; GoodUpdateCount=0,BadUpdatecount=0",
                 kList}),
    [](const ::testing::TestParamInfo<CycleRow>& info) { return info.param.label; });

// The caption is painted and pending messages are handled before the request blocks, after a
// pause of 200 ms.
TEST_F(WindowCycleTest, ACheckShowsItselfAndLetsPendingMessagesThroughBeforeItsRequest) {
    window->SetLightImage(StatusLight::JvImageSquare1, LightGood);
    std::unique_ptr<PostedAction> pending;
    network.answers.push_back([&] {
        EXPECT_EQ(window->ControlText("Label1"), "IP: Checking...");
        EXPECT_EQ(window->LightImage(StatusLight::JvImageSquare1), LightNeutral);
        EXPECT_TRUE(pending->Ran());
        EXPECT_EQ(sleeper.calls, std::vector<DWORD>{200});
        return std::string("198.51.100.7");
    });
    network.replies.push_back("a.example:1");
    pending = std::make_unique<PostedAction>([] {});
    Click(*window, "Button7");
    EXPECT_EQ(network.boundIPs.size(), 1u);
}

// Refresh Now while a check waits for its reply is not lost: the clicks meanwhile make one more
// check as soon as it ends.
TEST_F(WindowCycleTest, RefreshNowDuringACheckRunsOneMoreCheckAfterIt) {
    network.answers.push_back([this] {
        Click(*window, "Button7");
        Click(*window, "Button7");
        EXPECT_EQ(network.boundIPs.size(), 1u);
        return std::string("198.51.100.7");
    });
    network.replies.push_back("a.example:1");
    Click(*window, "Button7");
    EXPECT_EQ(network.boundIPs.size(), 2u);
    EXPECT_EQ(Watching(), "external 10000");
}

TEST_F(WindowCycleTest, TheCountDownShowsTheTimeToTheArmedCheckOrSinceItWasDue) {
    struct Row {
        const char* label;
        UINT interval;
        // How long after the arming the count-down ticks; 0: the tick of the arming itself.
        DWORD later;
        const char* text;
        int ipLight;
    };
    for (const Row& row : {Row{"at 1 ms", 1, 0, "Next Check: Executing...", LightNeutral},
                           {"at 10 s", 10000, 0, "Next Check: 10s", LightGood},
                           {"at 5 min", 300000, 0, "Next Check: 5m 0s", LightGood},
                           {"a second later", 300000, 1000, "Next Check: 4m 59s", LightGood},
                           {"at 1 h", 3600000, 0, "Next Check: 1h 0m 0s", LightGood},
                           {"a second later", 3600000, 1000, "Next Check: 59m 59s", LightGood},
                           {"3 s past due", 10000, 13001, "Next Check: 3s", LightGood}}) {
        window->SetLightImage(StatusLight::JvImageSquare1, LightGood);
        window->ScheduleIPCheck(false, row.interval);
        if (row.later > 0) {
            // Only the clock moves: the watcher has not fired, as after a sleep of the computer.
            clock.Advance(row.later);
            window->NextIPWatchTimer.Tick();
        }
        EXPECT_EQ(window->ControlText("Label10"), row.text) << row.label;
        EXPECT_EQ(window->LightImage(StatusLight::JvImageSquare1), row.ipLight) << row.label;
    }
    window->StopIPWatchers();
    EXPECT_EQ(window->ControlText("Label10"), "Next Check: 3s");
    timers.Advance(1000);
    EXPECT_EQ(window->ControlText("Label10"), "Next Check: Disabled");
}

} // namespace
} // namespace vek::testing
