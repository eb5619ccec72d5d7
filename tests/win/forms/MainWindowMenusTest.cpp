// The main window's menu items and its logo: copies to the clipboard, the log viewers and the web
// links with the launcher's error.
#include "Main/core/EndpointConfig.h"
#include "Main/core/ShellFolders.h"
#include "Main/res/ControlIds.h"
#include "tests/win/forms/BrowserClass.h"
#include "tests/win/forms/MainWindowFixture.h"
#include "tests/win/support/FakeSystemFiles.h"

namespace vek::testing {
namespace {

constexpr char kBrowser[] = R"("C:\web\browser.exe" "%1")";

std::string ClipboardText() {
    std::string text;
    if (::OpenClipboard(nullptr)) {
        HANDLE data = ::GetClipboardData(CF_TEXT);
        const auto* bytes =
            data != nullptr ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
        text = bytes != nullptr ? bytes : "(no text)";
        ::GlobalUnlock(data);
        ::CloseClipboard();
    }
    return text;
}

class MainWindowMenusTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        MakeWindow();
        browser.Register(kBrowser);
    }
    HMENU MainMenu() const { return ::GetMenu(window->Handle()); }

    ProgramLaunches launches;
    MessageBoxScript boxes;
    BrowserClassGuard browser;
};

TEST_F(MainWindowMenusTest, CopyItemsReplaceTheClipboardWithPlainText) {
    window->SetMenuItemEnabled(IDM_VEK_COPYIPADDRESS1, true);
    window->SetMenuItemEnabled(IDM_VEK_COPYIPADDRESS2, true);
    Globals->CurrentIP = "203.0.113.7";
    struct Case {
        const char* item;
        bool trayMenu;
        std::function<void()> before;
        const char* copied;
    };
    for (const Case& c : {Case{"CopyIPAddress1", false, [] {}, "203.0.113.7"},
                          {"CopyClientID1", false, [] {}, "client-7"},
                          {"CopyIPAddress2", true, [] {}, "203.0.113.7"},
                          {"CopyClientID1", false, [] { Globals->SetCID(""); }, ""}}) {
        c.before();
        ChooseMenuItem(*window, c.trayMenu ? window->PopupMenu1() : MainMenu(), c.item);
        EXPECT_EQ(ClipboardText(), c.copied) << c.item;
    }
}

// Notepad from the Windows folder; the service's log in its folder of the machine.
TEST_F(MainWindowMenusTest, LogViewersOpenTheLogInNotepad) {
    FakeSystemFiles system;
    system.UseTheRealSystemFolder();
    ChooseMenuItem(*window, MainMenu(), "GraphicalClientLog1");
    ChooseMenuItem(*window, MainMenu(), "BackgroundServiceLog1");
    ASSERT_EQ(launches.launched.size(), 2u);
    const std::string notepad = "W:\\windows\\notepad.exe ";
    EXPECT_EQ(launches.launched[0].commandLine, notepad + folder.Path() + "VEK.log");
    EXPECT_EQ(launches.launched[1].commandLine, notepad + ServiceLogFolder() + "Service.log");
    EXPECT_EQ(ServiceLogFolder(), LocalAppDataFolder(CSIDL_COMMON_APPDATA) + "\\Halvenor\\VEK\\");
    EXPECT_EQ(launches.launched[1].showCommand, static_cast<UINT>(SW_SHOWNORMAL));
}

TEST_F(MainWindowMenusTest, WebLinksOpenTheirPagesInTheBrowserOrShowTheLaunchersError) {
    const std::string site = std::string("http://") + config::kWebSite + "/";
    struct Case {
        const char* item;
        std::string page;
    };
    for (const Case& c :
         {Case{"GettingStarted1", site + "getting_started.php"},
          {"Support1", site + "support/"},
          {"ermsofService1", site + "legal/tos.php"},
          {"DomainRegistrationSearch1", site + "domain-search.php"},
          {"Image1", site},
          {"OpenPortCheckTool1", std::string("http://") + config::kPortCheckTool + "/"},
          {"CheckanOpenRelay1", std::string("http://") + config::kOpenRelayTool + "/"}}) {
        launches.launched.clear();
        if (c.item == std::string("Image1")) {
            Click(*window, c.item);
        } else {
            ChooseMenuItem(*window, MainMenu(), c.item);
        }
        ASSERT_EQ(launches.launched.size(), 1u) << c.item;
        EXPECT_EQ(launches.launched[0].commandLine, R"("C:\web\browser.exe"  ")" + c.page + "\"")
            << c.item;
    }
    EXPECT_TRUE(boxes.shown.empty());
    // A browser that does not start: the launcher's error is shown.
    launches.answer = 2;
    boxes.Answer(IDOK);
    ChooseMenuItem(*window, MainMenu(), "Support1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Couldn't launch default browser");
    EXPECT_EQ(boxes.shown[0].caption, "Tarvo VEK");
    EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

} // namespace
} // namespace vek::testing
