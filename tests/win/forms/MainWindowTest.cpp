// The main window: its components and menus, what the core draws on it, the messages of a second
// instance and of the service, hiding to the tray and showing from it, exiting, its timers and
// the heartbeat.
#include "tests/win/forms/MainWindowFixture.h"
#include "tests/win/support/CycleFakes.h"

#include "Main/res/ControlIds.h"

namespace vek::testing {
namespace {

TEST_F(MainWindowTest, IsFoundByItsClassAndCaptionAndHoldsItsComponents) {
    MakeWindow();
    EXPECT_EQ(::FindWindowA("TVEK", "Tarvo VEK v3.0.4"), window->Handle());
    RECT client{};
    ::GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, 464);
    EXPECT_EQ(client.bottom, 178);
    const LONG_PTR style = ::GetWindowLongPtrA(window->Handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_SYSMENU | WS_MINIMIZEBOX);
    struct Expected {
        const char* name;
        const char* caption;
        PixelRect place;
    };
    // Each row: a light, its labels, an info picture and a button.
    for (const Expected& c : {Expected{"Image1", nullptr, {0, 0, 123, 159}},
                              {"GroupBox1", "Status", {129, 3, 329, 150}},
                              {"JvImageSquare2", "", {138, 24, 24, 24}},
                              {"Label2", "Client ID: ", {168, 24, 180, 13}},
                              {"Image2", nullptr, {352, 29, 14, 14}},
                              {"Button4", "Edit", {372, 25, 75, 23}},
                              {"JvImageSquare3", "", {138, 69, 24, 24}},
                              {"Label3", "Updating: ", {168, 69, -1, 13}},
                              {"Image3", nullptr, {352, 74, 14, 14}},
                              {"Button1", "Select Hosts", {372, 70, 75, 23}},
                              {"JvImageSquare1", "", {138, 114, 24, 24}},
                              {"Label1", "IP: Unknown", {168, 114, -1, 13}},
                              {"Label10", "", {168, 127, -1, 13}},
                              {"Image4", nullptr, {352, 119, 14, 14}},
                              {"Button7", "Refresh Now", {372, 115, 75, 23}}}) {
        const PixelRect place = window->ControlPlace(c.name);
        EXPECT_EQ(place.left, c.place.left) << c.name;
        EXPECT_EQ(place.top, c.place.top) << c.name;
        EXPECT_TRUE(c.place.width < 0 || place.width == c.place.width) << c.name;
        EXPECT_EQ(place.height, c.place.height) << c.name;
        EXPECT_TRUE(c.caption == nullptr || window->ControlText(c.name) == c.caption) << c.name;
    }
    EXPECT_FALSE(IsShown(*window, "Label11"));
    // As the user first sees it: once the start timer has filled the labels.
    timers.Advance(1);
    SaveScreenshot(window->Handle(), "main-window");
    for (const char* button : {"Button1", "Button7"}) {
        ::SetForegroundWindow(window->Handle());
        ::SetFocus(window->Control(button));
        ::SendMessageA(window->Control(button), WM_UPDATEUISTATE,
                       MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        SaveScreenshot(window->Handle(), std::string("main-window-focus-") + button);
    }
}

// Each row button's caption leaves room for the focus rectangle 3 pixels inside its edge, and 3
// more beside it.
TEST_F(MainWindowTest, RowButtonCaptionsKeepClearOfTheFocusRectangle) {
    MakeWindow();
    for (const char* name : {"Button4", "Button1", "Button7"}) {
        HWND button = window->Control(name);
        const std::string caption = window->ControlText(name);
        const UniqueWindowDc dc(button);
        const ScopedSelection font(
            dc.get(), reinterpret_cast<HFONT>(::SendMessageA(button, WM_GETFONT, 0, 0)));
        RECT extent{};
        ::DrawTextA(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &extent,
                    DT_CALCRECT | DT_SINGLELINE);
        EXPECT_LE(extent.right, window->ControlPlace(name).width - 12) << name;
    }
}

TEST_F(MainWindowTest, MenusHoldTheirItemsInOrder) {
    MakeWindow();
    const auto tree = [](const std::vector<MenuItem>& items) {
        std::string text;
        for (const MenuItem& item : items) {
            text += std::string(item.depth * 2, ' ') + item.name + " " + item.caption +
                    (item.enabled ? "" : " (off)") + (item.isDefault ? " (default)" : "") + "\n";
        }
        return text;
    };
    EXPECT_EQ(tree(MenuTree(*window, ::GetMenu(window->Handle()))),
              "File1 File\n  Options1 Preferences\n  N1 -\n  Hide1 Hide\n  N3 -\n  Exit1 Exit\n"
              "Edit1 Edit\n  CopyIPAddress1 Copy IP Address (off)\n  CopyClientID1 Copy Client ID\n"
              "ools1 Tools\n  OpenPortCheckTool1 Open Port Check Tool\n"
              "  DomainRegistrationSearch1 Domain Registration Search\n"
              "  CheckanOpenRelay1 Check An Open Relay\n  N2 -\n  Logs1 Logs\n"
              "    GraphicalClientLog1 Graphical Client Log\n"
              "    BackgroundServiceLog1 Background Service Log\n"
              "Help1 Help\n  GettingStarted1 Getting Started\n  Support1 Support\n  N4 -\n"
              "  ermsofService1 Terms of Service\n");
    EXPECT_EQ(tree(MenuTree(*window, window->PopupMenu1())),
              "Show1 Show (default)\nCopyIPAddress2 Copy IP Address (off)\nN5 -\nExit2 Exit\n");
    window->SetMenuItemEnabled(IDM_VEK_COPYIPADDRESS1, true);
    window->SetMenuItemEnabled(IDM_VEK_COPYIPADDRESS2, true);
    EXPECT_NE(tree(MenuTree(*window, window->PopupMenu1())).find("Copy IP Address\n"),
              std::string::npos);
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
}

TEST_F(MainWindowTest, EachLightDrawsItsImage) {
    MakeWindow();
    timers.Advance(1);
    Globals->SetUpdateList("h[]=home.demo.example&g[]=family");
    struct Case {
        int image;
        const char* screenshot;
        // Which colour channel rules the light's middle (none: pale grey).
        int strongest;
    };
    for (const Case& c : {Case{LightNeutral, "main-window-lights-neutral", -1},
                          {LightGood, "main-window-lights-good", 1},
                          {LightFault, "main-window-lights-fault", 0}}) {
        for (const StatusLight light : {StatusLight::JvImageSquare1, StatusLight::JvImageSquare2,
                                        StatusLight::JvImageSquare3}) {
            window->SetLightImage(light, c.image);
        }
        SaveScreenshot(window->Handle(), c.screenshot);
        RECT place{};
        ::GetWindowRect(window->Control("JvImageSquare1"), &place);
        const UniqueWindowDc screen(nullptr);
        const COLORREF middle = ::GetPixel(screen.get(), place.left + 12, place.top + 15);
        const int channels[] = {GetRValue(middle), GetGValue(middle), GetBValue(middle)};
        const int strongest = static_cast<int>(
            std::max_element(std::begin(channels), std::end(channels)) - std::begin(channels));
        const bool grey = channels[0] == channels[1] && channels[1] == channels[2];
        EXPECT_EQ(grey ? -1 : strongest, c.strongest) << c.screenshot;
    }
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

TEST_F(MainWindowTest, HidingKeepsTheTrayIconAndDropsTheTaskbarButton) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"close box", [this] { ::SendMessageA(window->Handle(), WM_CLOSE, 0, 0); }},
        {"File > Hide", [this] { ChooseMenuItem(*window, ::GetMenu(window->Handle()), "Hide1"); }},
    };
    for (const auto& [way, hide] : ways) {
        Globals->SetHidden(false);
        MakeWindow();
        ASSERT_TRUE(HasTaskbarButton()) << way;
        hide();
        ASSERT_TRUE(::IsWindow(window->Handle())) << way;
        EXPECT_FALSE(window->Visible()) << way;
        EXPECT_TRUE(HiddenSetting()) << way;
        EXPECT_FALSE(HasTaskbarButton()) << way;
        EXPECT_TRUE(trayArea.shown) << way;
    }
}

TEST_F(MainWindowTest, TheTrayShowsTheWindowByItsMenuAndByADoubleClick) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"tray Show", [this] { ChooseMenuItem(*window, window->PopupMenu1(), "Show1"); }},
        {"double-click", [this] { TrayMouse(WM_LBUTTONDBLCLK); }},
    };
    for (const auto& [way, show] : ways) {
        Globals->SetHidden(true);
        MakeWindow();
        // Hidden at start: only the tray icon shows.
        ASSERT_FALSE(window->Visible()) << way;
        EXPECT_TRUE(trayArea.shown) << way;
        EXPECT_EQ(trayArea.tip, "Tarvo VEK") << way;
        show();
        EXPECT_TRUE(window->Visible()) << way;
        EXPECT_FALSE(HiddenSetting()) << way;
        EXPECT_TRUE(HasTaskbarButton()) << way;
    }
}

// File > Exit, tray Exit, and the close box once the session ends.
TEST_F(MainWindowTest, ExitOrTheEndOfTheSessionEndsTheProgramAndRemovesTheTrayIcon) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Exit1", [this] { ChooseMenuItem(*window, ::GetMenu(window->Handle()), "Exit1"); }},
        {"Exit2", [this] { ChooseMenuItem(*window, window->PopupMenu1(), "Exit2"); }},
        {"session end",
         [this] {
             EXPECT_EQ(::SendMessageA(window->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
             ::SendMessageA(window->Handle(), WM_CLOSE, 0, 0);
         }},
    };
    for (const auto& [way, end] : ways) {
        MakeWindow();
        end();
        EXPECT_EQ(window->Handle(), nullptr) << way;
        EXPECT_TRUE(TakeQuit()) << way;
        EXPECT_FALSE(trayArea.shown) << way;
        EXPECT_EQ(trayArea.calls.back().message, static_cast<DWORD>(NIM_DELETE)) << way;
    }
}

TEST_F(MainWindowTest, TimersStartWithTheirIntervalsAndStartupFillsTheLabels) {
    MakeWindow();
    struct Case {
        const char* name;
        const TTimer& timer;
        UINT interval;
        bool enabled;
    };
    for (const Case& c : {Case{"InternalIPWatcher", window->InternalIPWatcher(), 5000, false},
                          {"ExternalIPWatcher", window->ExternalIPWatcher(), 10000, false},
                          {"NextIPWatchTimer", window->NextIPWatchTimer, 1000, true},
                          {"Startup", window->Startup, 1, true},
                          {"UserXML", window->UserXML, 1, false},
                          {"LastVEKTime", window->LastVEKTime, 1, true}}) {
        EXPECT_EQ(c.timer.Interval(), c.interval) << c.name;
        EXPECT_EQ(c.timer.Enabled(), c.enabled) << c.name;
    }
    EXPECT_EQ(window->JvTrayIcon1.Tag, 1);
    timers.Advance(1);
    EXPECT_FALSE(window->Startup.Enabled());
    EXPECT_TRUE(window->UserXML.Enabled());
    EXPECT_EQ(window->ControlText("Label2"), "Client ID: client-7");
    EXPECT_EQ(window->ControlText("Label4"), "0");
}

TEST_F(MainWindowTest, TheHeartbeatIsWrittenAtStartThenEveryMinuteNeverFaster) {
    MakeWindow();
    const double start = clock.Now();
    const double millisecond = 1.0 / 86400000;
    timers.Advance(1);
    EXPECT_NEAR(Globals->GetLastVEKTime(), start + millisecond, millisecond / 2);
    timers.Advance(59999);
    EXPECT_NEAR(Globals->GetLastVEKTime(), start + millisecond, millisecond / 2);
    timers.Advance(1);
    EXPECT_NEAR(Globals->GetLastVEKTime(), start + 60001 * millisecond, millisecond / 2);
    EXPECT_EQ(window->LastVEKTime.Interval(), TVEK::kHeartbeatInterval);
}

TEST_F(MainWindowTest, RefreshNowChecksTheAddressAtOnce) {
    MakeWindow();
    ScriptedNetwork network;
    Click(*window, "Button7");
    EXPECT_EQ(network.boundIPs.size(), 1u);
    // The empty answer failed the check: the next one is armed.
    EXPECT_TRUE(window->ExternalIPWatcher().Enabled());
    EXPECT_EQ(window->ExternalIPWatcher().Interval(), 10000u);
}

// The menu opens at the cursor, here over the main window, so that the screenshot shows both.
TEST_F(MainWindowTest, TheTrayMenuOpensAtTheCursorAndClosesCleanly) {
    MakeWindow();
    timers.Advance(1);
    RECT place{};
    ::GetWindowRect(window->Handle(), &place);
    ::SetCursorPos(place.left + 200, place.top + 60);
    bool menuShown = false;
    PostedAction inMenu([&] {
        menuShown = ::IsWindowVisible(::FindWindowA("#32768", nullptr)) != FALSE;
        SaveScreenshot(window->Handle(), "main-window-tray-menu");
        ::EndMenu();
    });
    TrayMouse(WM_RBUTTONUP);
    EXPECT_TRUE(menuShown);
    // WM_NULL follows the menu, so that it closes when the user clicks elsewhere.
    MSG next;
    bool nullPosted = false;
    while (::PeekMessageA(&next, window->JvTrayIcon1.Handle(), 0, 0, PM_REMOVE)) {
        nullPosted = nullPosted || next.message == WM_NULL;
    }
    EXPECT_TRUE(nullPosted);
    EXPECT_TRUE(window->Visible());
}

} // namespace
} // namespace vek::testing
