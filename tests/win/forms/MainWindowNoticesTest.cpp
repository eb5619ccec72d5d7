// The notice fetch of the main window on the scripted network: the signed request, what each
// reply shows (the account line and light, the notice list and the pop-up) and logs, when the
// next fetch comes, and how the reply starts or stops the IP checks.
#include "tests/win/forms/WindowCycleFixture.h"

#include "Main/core/ProviderUrls.h"

namespace vek::testing {
namespace {

using vek::testing::PrintTo;

std::string Xml(const std::string& document) { return "<?xml version=\"1.0\"?>" + document; }

const std::string kEarlierNotice =
    Xml("<user><email>me@example.com</email><notices><notice id=\"5\" title=\"Kept\">Body"
        "</notice></notices></user>");

struct NoticesRow {
    const char* label;
    std::string reply;
    // Label11 | account light | next fetch | watching | pop-up
    const char* shown;
    // Code and item of each entry, joined by "; ".
    const char* notices = "";
    // What is logged after the line of each fetch.
    const char* logged = "";
    // A reply fetched before.
    std::string earlier = "";
    // The external check armed at 300000 ms before the fetch.
    bool watcherArmed = false;
};

class NoticeFetchTest : public WindowCycleTest {
protected:
    // One tick of UserXML with the reply scripted.
    void Fetch(const std::string& reply) {
        network.replies.push_back(reply);
        window->UserXML.SetInterval(1);
        window->UserXML.SetEnabled(true);
        timers.Advance(1);
        EXPECT_TRUE(network.replies.empty());
    }
    std::string Shown() {
        const TNoticeForm& popUp = *window->NoticeForm;
        return AccountLine() + " | " +
               std::to_string(window->LightImage(StatusLight::JvImageSquare2)) + " | " +
               NoticeFetch() + " | " + Watching() + " | " +
               (popUp.Visible() ? popUp.ControlText("Label1") + ", " + popUp.ControlText("Label3")
                                : "hidden");
    }
    std::string Notices() const {
        std::string entries;
        for (const TNoticeEntry& entry : window->NoticeList) {
            entries += (entries.empty() ? "" : "; ") + std::to_string(entry.NoticeCode) + " " +
                       entry.NoticeItem;
        }
        return entries;
    }
};

class NoticesReplies : public NoticeFetchTest, public ::testing::WithParamInterface<NoticesRow> {};

TEST_P(NoticesReplies, AreShownAndDecideTheNextFetch) {
    const NoticesRow& row = GetParam();
    std::vector<std::string> logged = {"Retrieving notices.php as client-7"};
    if (!row.earlier.empty()) {
        Fetch(row.earlier);
        logged.push_back(logged.front());
    }
    if (row.watcherArmed) {
        window->ScheduleIPCheck(false, 300000);
    }
    Fetch(row.reply);
    EXPECT_EQ(Shown(), row.shown);
    EXPECT_EQ(Notices(), row.notices);
    if (*row.logged != '\0') {
        logged.push_back(row.logged);
    }
    EXPECT_EQ(log.Take(), logged);
    EXPECT_TRUE(network.boundIPs.empty()) << "a check ran";
}

INSTANTIATE_TEST_SUITE_P(
    Replies, NoticesReplies,
    ::testing::Values(
        NoticesRow{"NoAnswerIsRetriedInAMinuteWithoutStartingTheChecks", "-1",
                   "- | 0 | 60000 | off | hidden"},
        NoticesRow{"AlertsComeFirstThenNoticesEachInDocumentOrder",
                   Xml("<user><notices><notice id=\"5\" title=\"N1\" link=\"http://192.0.2.1/n1\">"
                       "Body n1</notice><notice id=\"6\" title=\"N2\">Body n2</notice><notice "
                       "id=\"7\" title=\"N3\">Body n3</notice></notices><alerts><alert id=\"3\" "
                       "title=\"A1\">Body a1</alert><alert id=\"4\" title=\"A2\">Body a2</alert>"
                       "</alerts></user>"),
                   "- | 0 | 86400000 | external 1 | A1, Displaying notice 1 of 5",
                   "32 A1|Body a1|; 42 A2|Body a2|; 51 N1|Body n1|http://192.0.2.1/n1; "
                   "61 N2|Body n2|; 71 N3|Body n3|"},
        NoticesRow{"TheEmailWinsOverTheErrorMark",
                   Xml("<user><error>Payment due</error><email>me@example.com</email></user>"),
                   "Account: me@example.com | 1 | 86400000 | external 1 | hidden"},
        NoticesRow{"TheErrorMarkAlone", Xml("<user><error>Payment due</error></user>"),
                   "- | 2 | 86400000 | external 1 | hidden"},
        NoticesRow{"OfTwoEmailsTheLastCounts",
                   Xml("<user><email>first@example.com</email><email>second@example.com</email>"
                       "</user>"),
                   "Account: second@example.com | 1 | 86400000 | external 1 | hidden"},
        NoticesRow{"AnEmailInCapitalsIsRead", Xml("<user><EMAIL>me@example.com</EMAIL></user>"),
                   "Account: me@example.com | 1 | 86400000 | external 1 | hidden"},
        NoticesRow{"ARootUserInCapitalsIsRetriedInAMinute",
                   Xml("<User><email>me@example.com</email></User>"),
                   "- | 0 | 60000 | off | hidden", "",
                   "Notices reply not usable (the root element \"User\" is neither \"user\" nor "
                   "\"disabled\"), will retry in 60 seconds."},
        NoticesRow{"AnAlertInCapitalsIsSkipped",
                   Xml("<user><alerts><Alert id=\"1\" title=\"Skipped\"/><alert id=\"2\" "
                       "title=\"Kept\"/></alerts></user>"),
                   "- | 0 | 86400000 | external 1 | Kept, Displaying notice 1 of 1", "22 Kept||"},
        NoticesRow{"AnArmedCheckIsLeftAlone", Xml("<user/>"),
                   "- | 0 | 86400000 | external 300000 | hidden", "", "", "", true},
        NoticesRow{"ADisabledClientStopsTheChecksForAnHour", Xml("<disabled/>"),
                   "Client ID disabled within account. | 2 | 3600000 | off | hidden", "",
                   "Notice: Client ID disabled", "", true},
        NoticesRow{"AnEmptyListHidesThePopUp", Xml("<user><email>me@example.com</email></user>"),
                   "Account: me@example.com | 1 | 86400000 | external 300000 | hidden", "", "",
                   kEarlierNotice, true},
        NoticesRow{"AReplyRejectedHalfWayChangesNothing",
                   Xml("<user><email>other@example.com</email><notices><notice id=\"6\" "
                       "title=\"New\"/><notice id=\"x\"/></notices></user>"),
                   "Account: me@example.com | 1 | 60000 | external 300000 | Kept, Displaying "
                   "notice 1 of 1",
                   "51 Kept|Body|",
                   "Notices reply not usable (notice code \"x1\" is not a decimal integer), "
                   "will retry in 60 seconds.",
                   kEarlierNotice, true},
        NoticesRow{"ARejectedUserReplyStillStartsTheChecks",
                   Xml("<user><remoteinterval>soon</remoteinterval></user>"),
                   "- | 0 | 60000 | external 1 | hidden", "",
                   "Notices reply not usable (remoteinterval \"soon\" is not a decimal "
                   "integer), will retry in 60 seconds."}),
    [](const ::testing::TestParamInfo<NoticesRow>& info) { return info.param.label; });

// A server that keeps sending a bad value is asked again in a minute, then hourly; any other
// reply ends the run.
TEST_F(NoticeFetchTest, ARejectedReplyIsAskedAgainInAMinuteThenHourly) {
    const std::string rejected = Xml("<user><enhanced>maybe</enhanced></user>");
    std::vector<std::string> next;
    for (const std::string& reply : {rejected, rejected, rejected, std::string("-1"), rejected}) {
        Fetch(reply);
        next.push_back(NoticeFetch());
    }
    EXPECT_EQ(next, (std::vector<std::string>{"60000", "3600000", "3600000", "60000", "60000"}));
    EXPECT_NE(ReadFileBytes(LogFile("VEK.log")).find("will retry in 60 minutes."),
              std::string::npos);
}

TEST_F(NoticeFetchTest, TheRequestIsSignedAndSendsTheStoredIds) {
    Fetch("-1");
    Globals->SetNoticeID(7);
    Globals->SetAlertID(3);
    Fetch("-1");
    EXPECT_EQ(network.urls,
              (std::vector<std::string>{
                  Globals->SignURL(NoticesUrl(Globals->Endpoints, "client-7", -1, -1)),
                  Globals->SignURL(NoticesUrl(Globals->Endpoints, "client-7", 7, 3))}));
}

TEST_F(NoticeFetchTest, AUserReplyStoresItsValues) {
    Fetch(Xml("<user><enhanced>TRUE</enhanced><remoteinterval>1000</remoteinterval></user>"));
    EXPECT_EQ(Raw("RemoteInterval")->data, std::string("\xE8\x03\0\0", 4));
    EXPECT_EQ(Globals->GetRemoteInterval(), 300000);
    EXPECT_EQ(Raw("Enhanced")->data, std::string("\x01\0\0\0", 4));
}

// A fetch that raises (here: no client key to sign with) is tried again like one without answer.
TEST_F(NoticeFetchTest, AFetchThatFailsIsTriedAgainInAMinute) {
    Globals->SetCKey("");
    window->UserXML.SetEnabled(true);
    timers.Advance(1);
    EXPECT_TRUE(network.urls.empty());
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(NoticeFetch(), "60000");
    EXPECT_EQ(Watching(), "off");
}

// Each tick fetches once and arms the next fetch itself.
TEST_F(NoticeFetchTest, TheStartTimerBeginsTheFetchesAndTheLinksOpenInTheBrowser) {
    window->Startup.SetEnabled(true);
    network.replies.push_back(
        Xml("<user><notices><notice id=\"5\" title=\"Read me\" link=\"http://192.0.2.1/n\">"
            "Body</notice></notices></user>"));
    timers.Advance(2);
    EXPECT_EQ(network.urls.size(), 1u);
    EXPECT_EQ(NoticeFetch(), "86400000");
    ProgramLaunches programs;
    Click(*window->NoticeForm, "Label2");
    ASSERT_EQ(programs.launched.size(), 1u);
    EXPECT_NE(programs.launched[0].commandLine.find("\"http://192.0.2.1/n\""), std::string::npos);
    EXPECT_FALSE(window->NoticeForm->Visible());
    EXPECT_EQ(Globals->GetNoticeID(), 5);
}

} // namespace
} // namespace vek::testing
