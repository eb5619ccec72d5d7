// The desktop client end to end against the reference provider (the fixture vek_provider; only
// the network crosses processes): the main window in the test process, with a stored client id,
// key and selection, fetches its notices and shows them in the pop-up, detects its address by
// the DNS-format query and by the HTTP echo, updates the hosts, and picks up an address change
// when "Refresh Now" is clicked.
#include "Main/core/ProviderUrls.h"
#include "tests/win/forms/MainWindowFixture.h"
#include "tests/win/support/PollUntil.h"
#include "tests/win/support/ProviderOperator.h"

#include <map>
#include <sstream>

namespace vek::testing {
namespace {

// The addresses the echo servers report: first, and after the change.
constexpr const char* kAddresses[] = {"203.0.113.7", "198.51.100.9"};

// What the operator posts: an alert, then a notice with a link.
struct Posted {
    const char* kind;
    int kindDigit;
    const char* title;
    const char* body;
    const char* link;
};
constexpr Posted kPosted[] = {
    {"alert", 2, "Payment due", "Please renew the account before the end of the month.", ""},
    {"notice", 1, "Maintenance tonight", "The update servers restart at 22:00 for ten minutes.",
     "http://127.0.0.1:8880/"}};

class DesktopEndToEndTest : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        Operator({"echo", "clear"});
    }
    std::string Operator(const std::vector<std::string>& arguments) {
        const OperatorResult result = RunProviderCommand(arguments);
        EXPECT_EQ(result.status, 0) << arguments[0] << " " << arguments[1] << ": " << result.output;
        return result.output;
    }
    // The word after `label` in the operator's output (after "client id:", the id).
    static std::string WordAfter(const std::string& output, const std::string& label) {
        const std::size_t at = output.find(label);
        std::istringstream rest(at == std::string::npos ? "" : output.substr(at + label.size()));
        std::string word;
        rest >> word;
        return word;
    }
    // The address the provider holds for each host of the account: "host=address", by name.
    std::string HostAddresses() {
        std::istringstream listing(Operator({"hosts", "list", email_}));
        std::map<std::string, std::string> hosts;
        for (std::string line; std::getline(listing, line);) {
            std::istringstream fields(line);
            std::string host;
            fields >> host >> hosts[host];
        }
        std::string addresses;
        for (const auto& [host, address] : hosts) {
            addresses += (addresses.empty() ? "" : " ") + host + "=" + address;
        }
        return addresses;
    }
    // Sets the address the echo servers report and waits until they report it (the setting
    // takes effect within a second).
    void SetEchoAddress(const std::string& address) {
        Operator({"echo", "set", address});
        const std::string url = IpEchoUrl(Globals->Endpoints.HttpEcho1);
        ASSERT_TRUE(
            PollUntil([&] { return Globals->HttpGet(url, "", false) == address; }, 10000, 100))
            << "the echo servers do not report " << address;
    }

    // Both hosts of the account at the address, as the provider lists them.
    std::string HostsAt(const std::string& address) const {
        return cabin_ + "=" + address + " " + home_ + "=" + address;
    }

    const std::string suffix_ = std::to_string(::GetCurrentProcessId());
    const std::string email_ = "desk-" + suffix_ + "@example.com";
    const std::string home_ = "home-" + suffix_ + ".desk.example";
    const std::string cabin_ = "cabin-" + suffix_ + ".desk.example";
};

TEST_F(DesktopEndToEndTest, FetchesNoticesDetectsByBothMethodsUpdatesAndPicksUpAChange) {
    Operator({"account", "add", email_, "desk-pass", "--host", home_, "--host", cabin_, "--group",
              "family=" + cabin_});
    const std::string issued = Operator({"client", "issue", email_});
    TNoticeList expected;
    for (const Posted& posted : kPosted) {
        std::vector<std::string> command = {posted.kind, "post", posted.title, posted.body};
        if (*posted.link != '\0') {
            command.insert(command.end(), {"--link", posted.link});
        }
        const int id = std::stoi(WordAfter(Operator(command), posted.kind));
        expected.push_back({std::string(posted.title) + "|" + posted.body + "|" + posted.link,
                            id * 10 + posted.kindDigit});
    }
    SetEchoAddress(kAddresses[0]);
    Globals->SetCID(WordAfter(issued, "client id:"));
    Globals->SetCKey(WordAfter(issued, "client key:"));
    Globals->SetUpdateList("h[]=" + home_ + "&g[]=family");
    // Only the two posted here are new to this client: the store may hold older ones.
    Globals->SetAlertID(expected[0].NoticeCode / 10 - 1);
    Globals->SetNoticeID(expected[1].NoticeCode / 10 - 1);
    Globals->SetAlternateIP(false);
    MakeWindow();

    // The start timer, then the notice fetch; the reply starts the checks.
    timers.Advance(2);
    ASSERT_EQ(window->NoticeList.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(window->NoticeList[i].NoticeItem, expected[i].NoticeItem);
        EXPECT_EQ(window->NoticeList[i].NoticeCode, expected[i].NoticeCode);
    }
    TNoticeForm& popUp = *window->NoticeForm;
    EXPECT_TRUE(popUp.Visible());
    EXPECT_EQ(popUp.ControlText("Label1"), kPosted[0].title);
    EXPECT_EQ(popUp.ControlText("Label3"), "Displaying notice 1 of 2");
    EXPECT_EQ(window->ControlText("Label11"), "Account: " + email_);
    EXPECT_EQ(window->UserXML.Interval(), 86400000u);

    // The external check 1 ms later, by the DNS-format query.
    timers.Advance(1);
    EXPECT_EQ(window->ControlText("Label1"), std::string("IP: ") + kAddresses[0] + " (Router/NAT)");
    EXPECT_EQ(HostAddresses(), HostsAt(kAddresses[0]));
    EXPECT_EQ(StatusEcho(), "Updated 2 items successfully.");
    // The pop-up has faded in: 85 steps of 1 ms.
    timers.Advance(100);
    PumpUntilIdle();
    SaveScreenshot(popUp.Handle(), "notice-popup-two-entries");

    // Another address, found by the HTTP echo when "Refresh Now" is clicked.
    Globals->SetAlternateIP(true);
    SetEchoAddress(kAddresses[1]);
    Click(*window, "Button7");
    EXPECT_EQ(window->ControlText("Label1"), std::string("IP: ") + kAddresses[1] + " (Router/NAT)");
    EXPECT_EQ(HostAddresses(), HostsAt(kAddresses[1]));
    EXPECT_EQ(trayArea.tip, std::string("Tarvo: ") + kAddresses[1]);
    for (const StatusLight light :
         {StatusLight::JvImageSquare1, StatusLight::JvImageSquare2, StatusLight::JvImageSquare3}) {
        EXPECT_EQ(window->LightImage(light), LightGood);
    }
    PumpUntilIdle();
    SaveScreenshot(window->Handle(), "main-window-updated");
}

} // namespace
} // namespace vek::testing
