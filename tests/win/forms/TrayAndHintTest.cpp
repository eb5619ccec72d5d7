// The tray icon's life in the notification area, and the hint window: its markup, and the hints
// of the main window's info pictures and summary labels.
#include "tests/win/forms/MainWindowFixture.h"

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

// The columns of a window's client area that show ink in rows [top, bottom) of what the screen
// shows.
std::vector<bool> InkColumns(HWND window, int top, int bottom) {
    RECT client{};
    ::GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    const UniqueWindowDc screen(nullptr);
    std::vector<bool> ink(static_cast<std::size_t>(client.right));
    for (int x = 0; x < client.right; ++x) {
        for (int y = top; y < bottom && !ink[static_cast<std::size_t>(x)]; ++y) {
            const COLORREF color = ::GetPixel(screen.get(), origin.x + x, origin.y + y);
            ink[static_cast<std::size_t>(x)] = GetRValue(color) + GetGValue(color) < 2 * 128;
        }
    }
    return ink;
}

// Each run of a hint is drawn where its measure puts it, in the font it was measured in: no
// gap grows before an italic run, and the italic run's slant stays clear of what follows.
TEST_F(MainWindowTest, AHintsRunsFollowEachOtherAsMeasured) {
    MakeWindow();
    THintWindow hint("Tahoma", -11);
    hint.SetHintPause(1);
    struct Case {
        const char* markup;
        // The widest blank between two inked columns, and the least blank after the last one.
        int widestGap;
        int rightMargin;
    };
    for (const Case& c : {Case{"updates.  Please click <i>Select Hosts</i> to modify", 8, 2},
                          Case{"<i>Select Hosts</i>", 8, 2}}) {
        hint.MouseOver(window->Control("Image3"), c.markup);
        timers.Advance(1);
        ASSERT_TRUE(hint.Showing());
        ::RedrawWindow(hint.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        PumpUntilIdle();
        RECT client{};
        ::GetClientRect(hint.Handle(), &client);
        const std::vector<bool> ink = InkColumns(hint.Handle(), 2, client.bottom - 2);
        int first = -1;
        int last = -1;
        int widest = 0;
        for (int x = 0; x < static_cast<int>(ink.size()); ++x) {
            if (ink[static_cast<std::size_t>(x)]) {
                if (last >= 0) {
                    widest = std::max(widest, x - last - 1);
                }
                first = first < 0 ? x : first;
                last = x;
            }
        }
        EXPECT_LE(widest, c.widestGap) << c.markup;
        EXPECT_GE(client.right - 1 - last, c.rightMargin) << c.markup;
        if (c.markup[0] == 'u') {
            SaveScreenshot(hint.Handle(), "hint-italic-run");
        }
        hint.MouseLeft(window->Control("Image3"));
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
