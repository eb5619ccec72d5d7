// The browser launcher: the open command of the ".htm" class with the address put in place of its
// document placeholder as one quoted argument; nothing started without a browser, and only plain
// web addresses started at all. (A failed start: the main window's menu tests.)
#include "Main/forms/pvlUrl.h"
#include "classlib/ClassLibError.h"
#include "tests/win/forms/BrowserClass.h"
#include "tests/win/forms/MainWindowFixture.h"

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
             Case{R"("C:\web\browser.exe" "%1")", "http://a.example/a%20b?q=1%202",
                  R"("C:\web\browser.exe"  "http://a.example/a%20b?q=1%202")"},
             // A command of 260 bytes or more is read whole.
             Case{longPath + " %1", kUrl, longPath + "  \"" + kUrl + "\""},
         }) {
        browser.Register(c.command);
        EXPECT_EQ(Launched(c.url), Lines{c.launched}) << c.command;
    }
}

TEST_F(PvlUrlTest, NothingStartsWithoutABrowserAndAnEmptyCommandFailsToStart) {
    browser.Unregister();
    EXPECT_EQ(Launched(kUrl), Lines{});
    browser.Register(std::nullopt);
    EXPECT_EQ(Launched(kUrl), Lines{});
    browser.Register("");
    launches.answer = 2;
    EXPECT_THROW(Launched(kUrl), EClassLibError);
    EXPECT_EQ(launches.launched.size(), 1u);
}

// Only http and https addresses of the characters an address holds unescaped reach the browser;
// any other is logged, to the file only, and fails like a start that fails.
TEST_F(PvlUrlTest, OnlyPlainWebAddressesAreLaunched) {
    MakeWindow();
    browser.Register(R"("C:\web\browser.exe" "%1")");
    for (const std::string& url :
         {std::string(kUrl), std::string("HTTPS://A.example:8443/p/a%20b?q=1&r=a+b;c=~x#top"),
          std::string("http://[2001:db8::1]/x_y-z.(1)!$'*,@=")}) {
        EXPECT_EQ(Launched(url).size(), 1u) << url;
    }
    for (const std::string& url :
         {std::string("file://host/share/x.exe"), std::string("C:\\x.exe"),
          std::string("\\\\host\\share"), std::string("--some-switch=http://a.example/"),
          std::string("ftp://a.example/"), std::string("http:/a.example/"), std::string(""),
          std::string("http://a.example/a b"), std::string("http://a.example/\" --evil"),
          std::string("http://a.example/\r\nx"), std::string("http://a.example/\x7f"),
          std::string("http://a.example/x\\"), std::string("http://a.example/\xe9"),
          std::string("http://a.example/<x>"), std::string("http://a.example/{|}^`")}) {
        Globals->Log("", true);
        EXPECT_THROW(Launched(url), EClassLibError) << url;
        EXPECT_TRUE(launches.launched.empty()) << url;
        EXPECT_EQ(StatusEcho(), "") << url;
    }
    const std::string log = ReadFileBytes(LogFile("VEK.log"));
    EXPECT_NE(log.find("A link was not opened: it is not an http or https address of plain "
                       "address characters."),
              std::string::npos);
    EXPECT_EQ(log.find("evil"), std::string::npos) << "the address itself is not logged";
}

} // namespace
} // namespace vek::testing
