// The main window on the window layer: its components, what the core draws on it, the messages
// of a second instance and of the service, and hiding on close.
#include "CoreFixture.h"
#include "FormDriver.h"
#include "HandlerBoundary.h"
#include "ScopedGlobals.h"
#include "Unit1.h"

#include <commctrl.h>

namespace vek::testing {
namespace {

class MainWindowTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        globals_ = MakeGlobals();
        installed_.emplace(*globals_);
        Globals->SetCID("client-7");
    }
    void MakeWindow() {
        window = std::make_unique<TVEK>();
        PumpUntilIdle();
    }
    // The status bar's echo of the last log line, without its time.
    std::string StatusEcho() const {
        char text[256] = {};
        ::SendMessageA(window->Control("StatusBar1"), SB_GETTEXTA, 0,
                       reinterpret_cast<LPARAM>(text));
        const std::string echo = text;
        const std::size_t colon = echo.find(": ");
        return colon == std::string::npos ? echo : echo.substr(colon + 2);
    }
    bool HiddenSetting() const { return Raw("Hidden") && Raw("Hidden")->data[0] == 1; }

private:
    std::unique_ptr<TVEKGlobals> globals_;
    std::optional<ScopedGlobals> installed_;

protected:
    // Made after Globals, and gone before it.
    std::unique_ptr<TVEK> window;
};

TEST_F(MainWindowTest, IsFoundByItsClassAndCaptionAndShowsItsComponents) {
    MakeWindow();
    EXPECT_EQ(::FindWindowA("TVEK", "Tarvo VEK v3.0.4"), window->Handle());
    RECT client{};
    ::GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, 464);
    EXPECT_EQ(client.bottom, 178);
    struct Expected {
        const char* name;
        const char* caption;
    };
    for (const Expected& control : {Expected{"GroupBox1", "Status"},
                                    {"Label3", "Updating: "},
                                    {"Label1", "IP: Unknown"},
                                    {"Label10", ""},
                                    {"Button4", "Edit"},
                                    {"Button1", "Select Hosts"},
                                    {"Button7", "Refresh Now"}}) {
        EXPECT_EQ(window->ControlText(control.name), control.caption) << control.name;
    }
    EXPECT_EQ(window->ControlPlace("JvImageSquare1").width, 24);
    EXPECT_EQ(window->ControlPlace("Image1").width, 123);
    EXPECT_FALSE(IsShown(*window, "Label11"));
    SaveScreenshot(window->Handle(), "main-window");
}

TEST_F(MainWindowTest, CoreDrawsTheSummaryRowAndTheStatusBar) {
    MakeWindow();
    Globals->SetUpdateList("h[]=a&g[]=team&h[]=b");
    EXPECT_EQ(window->ControlText("Label5"), " Group && ");
    EXPECT_EQ(window->ControlText("Label6"), "2");
    EXPECT_EQ(window->LabelHint(MainLabel::Label6), "a\r\nb");
    // Each label of the row begins where the one before it ends.
    for (const auto& [before, after] : {std::pair{"Label3", "Label4"},
                                        {"Label4", "Label5"},
                                        {"Label5", "Label6"},
                                        {"Label6", "Label7"}}) {
        const PixelRect left = window->ControlPlace(before);
        EXPECT_EQ(left.left + left.width, window->ControlPlace(after).left) << after;
        EXPECT_GT(window->ControlPlace(after).width, 0) << after;
    }
    Globals->AddMissingHost("b");
    EXPECT_TRUE(IsShown(*window, "Label8"));
    EXPECT_EQ(window->ControlText("Label8"), "1");
    Globals->Log("Checking Remote IP address", true);
    EXPECT_EQ(StatusEcho(), "Checking Remote IP address");
    window->SetLightImage(StatusLight::JvImageSquare1, LightGood);
    EXPECT_EQ(window->LightImage(StatusLight::JvImageSquare1), LightGood);
}

TEST_F(MainWindowTest, AnswersAnotherInstanceAndTheService) {
    Globals->SetHidden(true);
    MakeWindow();
    ASSERT_FALSE(window->Visible());
    struct Case {
        WPARAM wParam;
        LPARAM lParam;
        const char* logged;
    };
    for (const Case& notice : {Case{2, 3, ""},
                               {0, 0, ""},
                               {2, 1, "Service application has started."},
                               {2, 2, "Service application has stopped."},
                               {1, 0, "Existing instance running and brought to front."}}) {
        Globals->Log("", true);
        ::SendMessageA(window->Handle(), WM_CLIENTNOTIFY, notice.wParam, notice.lParam);
        EXPECT_EQ(StatusEcho(), notice.logged) << notice.wParam << "," << notice.lParam;
    }
    EXPECT_TRUE(window->Visible());
    EXPECT_FALSE(HiddenSetting());
}

TEST_F(MainWindowTest, CloseBoxHidesUntilTheSessionEnds) {
    MakeWindow();
    ::SendMessageA(window->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(::IsWindow(window->Handle()));
    EXPECT_FALSE(window->Visible());
    EXPECT_TRUE(HiddenSetting());
    // Without a taskbar button: owned by the hidden application window, not an application window.
    EXPECT_NE(::GetWindow(window->Handle(), GW_OWNER), nullptr);
    EXPECT_EQ(::GetWindowLongPtrA(window->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    EXPECT_EQ(::SendMessageA(window->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
    ::SendMessageA(window->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window->Handle(), nullptr);
    MSG quit;
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
} // namespace vek::testing
