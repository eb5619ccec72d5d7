// The browser launcher: the open command of the ".htm" class with the address put in place of its
// document placeholder as one quoted argument; nothing started without a browser or for an address
// that could break out of its quotes. (A failed start: the main window's menu tests.)
#include "pvlUrl.h"
#include "BrowserClass.h"
#include "MainWindowFixture.h"

namespace vek::testing {
namespace {

constexpr char kUrl[] = "http://a.example/page";

class PvlUrlTest : public MainWindowTest {
protected:
    std::vector<std::string> Launched(const std::string& url) {
        launches.launched.clear();
        TpvlUrl launcher;
        launcher.Url = url;
        launcher.LaunchUrl();
        std::vector<std::string> lines;
        for (const auto& launch : launches.launched) {
            EXPECT_EQ(launch.showCommand, static_cast<UINT>(SW_SHOWDEFAULT));
            lines.push_back(launch.commandLine);
        }
        return lines;
    }

    BrowserClassGuard browser;
    ProgramLaunches launches;
};

using Lines = std::vector<std::string>;

TEST_F(PvlUrlTest, TheAddressTakesThePlaceholdersPlaceAsOneQuotedArgument) {
    const std::string longPath = "C:\\" + std::string(300, 'p') + "\\browser.exe";
    struct Case {
        std::string command;
        std::string url;
        std::string launched;
    };
    for (const Case& c : {
             Case{R"("C:\web\browser.exe" "%1")", kUrl,
                  R"("C:\web\browser.exe"  ")" + std::string(kUrl) + "\""},
             Case{R"(C:\web\browser.exe %1)", kUrl,
                  R"(C:\web\browser.exe  ")" + std::string(kUrl) + "\""},
             Case{R"(C:\web\browser.exe)", kUrl,
                  R"(C:\web\browser.exe ")" + std::string(kUrl) + "\""},
             // What follows the placeholder goes with it.
             Case{R"("C:\web\browser.exe" -url "%1" -new-window)", kUrl,
                  R"("C:\web\browser.exe" -url  ")" + std::string(kUrl) + "\""},
             Case{R"(C:\web\browser.exe %1 -nohome)", kUrl,
                  R"(C:\web\browser.exe  ")" + std::string(kUrl) + "\""},
             Case{R"("C:\web\browser.exe" "%1")", "http://a.example/a b?q=1 2",
                  R"("C:\web\browser.exe"  "http://a.example/a b?q=1 2")"},
             // A command of 260 bytes or more is read whole.
             Case{longPath + " %1", kUrl, longPath + "  \"" + kUrl + "\""},
         }) {
        browser.Register(c.command);
        EXPECT_EQ(Launched(c.url), Lines{c.launched}) << c.command;
    }
}

TEST_F(PvlUrlTest, NothingStartsWithoutABrowserOrForAnAddressThatCouldLeaveItsQuotes) {
    browser.Unregister();
    EXPECT_EQ(Launched(kUrl), Lines{});
    browser.Register(std::nullopt);
    EXPECT_EQ(Launched(kUrl), Lines{});
    browser.Register(R"("C:\web\browser.exe" "%1")");
    for (const std::string& url :
         {std::string("http://a.example/\" --evil"), std::string("http://a.example/\r\nx"),
          std::string("http://a.example/\x7f")}) {
        EXPECT_EQ(Launched(url), Lines{}) << url;
    }
    const std::string log = ReadFileBytes(LogFile("VEK.log"));
    EXPECT_NE(log.find("A link was not opened: its address holds a double quote or a control "
                       "character."),
              std::string::npos);
    EXPECT_EQ(log.find("evil"), std::string::npos) << "the address itself is not logged";
}

} // namespace
} // namespace vek::testing
