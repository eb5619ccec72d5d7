// The tray icon's life in the notification area, and the hint window: its markup, and the hints
// of the main window's info pictures and summary labels.
#include "MainWindowFixture.h"

namespace vek::testing {
namespace {

TEST(HintMarkupTest, BecomesLinesOfStyledRuns) {
    using Lines = std::vector<THintLine>;
    struct Case {
        const char* markup;
        Lines lines;
    };
    for (const Case& c : {
             Case{"plain", Lines{{{"plain", false, false}}}},
             Case{"<b>IP:</b> the <i>current</i> one", Lines{{{"IP:", true, false},
                                                              {" the ", false, false},
                                                              {"current", false, true},
                                                              {" one", false, false}}}},
             Case{"a<br><br>b", Lines{{{"a"}}, {}, {{"b"}}}},
             Case{"a\r\nb\nc", Lines{{{"a"}}, {{"b"}}, {{"c"}}}},
             Case{"<B><I>x</i></B><BR>", Lines{{{"x", true, true}}, {}}},
             Case{"1 < 2 <u>x</u>", Lines{{{"1 < 2 <u>x</u>"}}}},
         }) {
        EXPECT_EQ(ParseHintMarkup(c.markup), c.lines) << c.markup;
    }
}

TEST_F(MainWindowTest, HintsShowAfterThePauseAndGoWhenTheMouseLeaves) {
    MakeWindow();
    Globals->SetUpdateList("g[]=family&h[]=home.demo.example&h[]=cabin.demo.example");
    Globals->AddMissingHost("cabin.demo.example");
    const THintWindow& hint = window->HintWindow();
    EXPECT_EQ(hint.HintPause(), 50u);
    EXPECT_EQ(hint.Color(), RGB(255, 255, 255));
    struct Case {
        const char* control;
        std::string startsWith;
    };
    for (const Case& c : {Case{"Image2", "<b>Client ID:</b> This is a unique ID"},
                          {"Image3", "<b>Updating:</b> This is a count"},
                          {"Image4", "<b>IP:</b> This is the current IP"},
                          {"Label4", "family"},
                          {"Label6", "home.demo.example\r\ncabin.demo.example"},
                          {"Label8", "cabin.demo.example"}}) {
        HWND control = window->Control(c.control);
        RECT place{};
        ::GetWindowRect(control, &place);
        ::SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
        ::SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        timers.Advance(49);
        EXPECT_FALSE(hint.Showing()) << c.control;
        timers.Advance(1);
        EXPECT_TRUE(hint.Showing()) << c.control;
        EXPECT_EQ(hint.Text().rfind(c.startsWith, 0), 0u) << c.control << ": " << hint.Text();
        if (c.control == std::string("Image4")) {
            SaveScreenshot(hint.Handle(), "main-window-hint");
        }
        ::SendMessageA(control, WM_MOUSELEAVE, 0, 0);
        EXPECT_FALSE(hint.Showing()) << c.control;
    }
}

TEST_F(MainWindowTest, TheTrayIconIsAddedUntilTheAreaTakesItAndAgainWhenExplorerRestarts) {
    trayArea.answers = {FALSE, FALSE};
    TTrayIcon icon;
    icon.SetHint("Tarvo: 203.0.113.7");
    icon.SetActive(true);
    EXPECT_FALSE(icon.Added());
    timers.Advance(TTrayIcon::kRetryInterval);
    EXPECT_FALSE(icon.Added());
    timers.Advance(TTrayIcon::kRetryInterval);
    EXPECT_TRUE(icon.Added());
    EXPECT_EQ(trayArea.Count(NIM_ADD), 3);
    timers.Advance(10 * TTrayIcon::kRetryInterval);
    EXPECT_EQ(trayArea.Count(NIM_ADD), 3) << "no add once the icon is there";
    EXPECT_EQ(trayArea.calls.back().window, icon.Handle());
    EXPECT_EQ(trayArea.calls.back().callbackMessage, TTrayIcon::WM_TRAYICONNOTIFY);
    EXPECT_EQ(trayArea.tip, "Tarvo: 203.0.113.7");

    // A new notification area, as after Explorer restarted, hears of the icon again.
    ::SendMessageA(icon.Handle(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(trayArea.Count(NIM_ADD), 4);
    icon.SetActive(false);
    EXPECT_FALSE(trayArea.shown);
}

} // namespace
} // namespace vek::testing
