// The notice pop-up: its window, the layout of an entry, paging, the fade-in, its place above
// the taskbar, link clicks and the ids a close stores.
#include "Main/forms/Unit5.h"
#include "classlib/ClassLibError.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FakeTimerScheduler.h"
#include "tests/win/support/FormDriver.h"
#include "tests/win/support/ScopedGlobals.h"
#include "tests/win/support/ServiceFakes.h"

namespace vek::testing {
namespace {

TNoticeEntry Entry(const std::string& title, const std::string& link, std::int32_t code) {
    return {title + "|The body of " + title + "|" + link, code};
}

// The taskbar the pop-up looks up: none, or the test's window.
struct FakeTaskbar final : seams::IWindowApi {
    HWND FindWindowA(LPCSTR className, LPCSTR windowName) override {
        lookups.push_back(std::string(className) + "|" + windowName);
        return window.get();
    }
    LRESULT SendMessageA(HWND, UINT, WPARAM, LPARAM) override { return 0; }
    LRESULT SendMessageTimeoutA(HWND, UINT, WPARAM, LPARAM, UINT, UINT, DWORD_PTR*) override {
        return 0;
    }
    UniqueWindow window;
    std::vector<std::string> lookups;
    seams::Seam<seams::IWindowApi>::Override override_{*this};
};

class NoticeFormTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        globals_ = MakeGlobals();
        installed_.emplace(*globals_);
    }
    TNoticeForm& Form() {
        if (!form_) {
            form_ = std::make_unique<TNoticeForm>(list, [this](const std::string& url) {
                launched.push_back(url);
                if (launchFails) {
                    throw EClassLibError("Couldn't launch default browser");
                }
            });
        }
        return *form_;
    }
    // A new list arrives, as the notice fetch hands it over.
    void Arrive(TNoticeList entries) {
        list = std::move(entries);
        Form().CurrentIndex = -1;
        Form().ShowNextNotice();
    }
    BYTE Alpha() {
        BYTE alpha = 0;
        DWORD flags = 0;
        EXPECT_TRUE(::GetLayeredWindowAttributes(Form().Handle(), nullptr, &alpha, &flags));
        return alpha;
    }
    // The window's height less the body's bottom.
    int HeightBelowBody() {
        RECT client{};
        ::GetClientRect(Form().Handle(), &client);
        const PixelRect body = Form().ControlPlace("Label2");
        return client.bottom - body.top - body.height;
    }

    FakeClock clock;
    FakeTimerScheduler timers{clock};
    FakeTaskbar taskbar;
    MessageBoxScript boxes;
    TNoticeList list;
    std::vector<std::string> launched;
    bool launchFails = false;

private:
    std::unique_ptr<TVEKGlobals> globals_;
    std::optional<ScopedGlobals> installed_;
    std::unique_ptr<TNoticeForm> form_;
};

TEST_F(NoticeFormTest, IsAnUnownedTopmostToolWindowWithoutNoActivateOnNT) {
    for (const DWORD platform : {VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS}) {
        FakeVersion version(5);
        version.platformId = platform;
        TNoticeForm form(list, {});
        const LONG_PTR style = ::GetWindowLongPtrA(form.Handle(), GWL_STYLE);
        const LONG_PTR exStyle = ::GetWindowLongPtrA(form.Handle(), GWL_EXSTYLE);
        EXPECT_EQ(style & (WS_CAPTION | WS_POPUP), WS_POPUP);
        EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        EXPECT_EQ((exStyle & WS_EX_NOACTIVATE) != 0, platform != VER_PLATFORM_WIN32_NT);
        EXPECT_EQ(::GetWindow(form.Handle(), GW_OWNER), nullptr);
        EXPECT_FALSE(form.Visible());
    }
}

TEST_F(NoticeFormTest, ShowsWithoutActivationAtTheBottomRightCornerAboveTheTaskbar) {
    HWND active = ::GetActiveWindow();
    for (const int taskbarHeight : {0, 40}) {
        if (taskbarHeight > 0) {
            taskbar.window.reset(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 800,
                                                   taskbarHeight, nullptr, nullptr, nullptr,
                                                   nullptr));
        }
        Arrive({Entry("Placed", "", 11)});
        RECT place{};
        ::GetWindowRect(Form().Handle(), &place);
        EXPECT_EQ(place.right, ::GetSystemMetrics(SM_CXSCREEN) - 3);
        EXPECT_EQ(place.right - place.left, 216);
        EXPECT_EQ(place.bottom, ::GetSystemMetrics(SM_CYSCREEN) - taskbarHeight - 3);
    }
    EXPECT_EQ(taskbar.lookups.back(), "Shell_TrayWnd|");
    EXPECT_TRUE(Form().Visible());
    EXPECT_EQ(::GetActiveWindow(), active);
}

TEST_F(NoticeFormTest, LaysOutOneEntryWithAShortTitleLevelWithTheIconAndNoBottomBar) {
    struct Case {
        const char* title;
        int titleHeight;
        int titleTop;
        int bodyTop;
    };
    for (const Case& row :
         {Case{"Maintenance tonight", 16, 12, 39},
          Case{"Scheduled maintenance of the update servers this weekend", 48, 4, 57}}) {
        Arrive({Entry(row.title, "", 11)});
        const PixelRect title = Form().ControlPlace("Label1");
        EXPECT_EQ(Form().ControlText("Label1"), row.title);
        EXPECT_EQ(title.left, 42);
        EXPECT_LE(title.width, 165);
        EXPECT_EQ(title.height, row.titleHeight) << row.title;
        EXPECT_EQ(title.top, row.titleTop) << row.title;
        EXPECT_EQ(Form().ControlPlace("Label2").top, row.bodyTop) << row.title;
        EXPECT_EQ(HeightBelowBody(), 7);
        EXPECT_FALSE(IsShown(Form(), "Panel1"));
        EXPECT_FALSE(IsEnabled(Form(), "Button1"));
        EXPECT_EQ(Form().ControlText("Label3"), "Displaying notice 1 of 1");
    }
}

TEST_F(NoticeFormTest, NextPagesThroughThreeEntriesAndWrapsAround) {
    Arrive({Entry("One", "", 11), Entry("Two", "", 21), Entry("Three", "", 32)});
    EXPECT_TRUE(IsShown(Form(), "Panel1"));
    EXPECT_EQ(HeightBelowBody(), 7 + 20);
    for (const auto& [title, counter] : {std::pair{"Two", "Displaying notice 2 of 3"},
                                         {"Three", "Displaying notice 3 of 3"},
                                         {"One", "Displaying notice 1 of 3"}}) {
        Click(Form(), "Button1");
        EXPECT_EQ(Form().ControlText("Label1"), title);
        EXPECT_EQ(Form().ControlText("Label2"), std::string("The body of ") + title);
        EXPECT_EQ(Form().ControlText("Label3"), counter);
    }
}

TEST_F(NoticeFormTest, FadesInByThreeEveryMillisecond) {
    Arrive({Entry("Fading", "", 11)});
    EXPECT_EQ(Form().FadeTimer.Interval(), 1u);
    for (const auto& [after, alpha] : {std::pair{0, 0}, {1, 3}, {1, 6}, {82, 252}, {1, 255}}) {
        timers.Advance(static_cast<DWORD>(after));
        EXPECT_EQ(Alpha(), alpha);
    }
    EXPECT_FALSE(Form().FadeTimer.Enabled());
}

TEST_F(NoticeFormTest, ANewListWhileShownTakesItsFirstEntryWithoutFadingAgain) {
    Arrive({Entry("One", "", 11), Entry("Two", "", 21)});
    timers.Advance(85);
    Click(Form(), "Button1");
    Arrive({Entry("Fresh", "", 31)});
    EXPECT_EQ(Form().ControlText("Label1"), "Fresh");
    EXPECT_EQ(Alpha(), 255);
    EXPECT_FALSE(Form().FadeTimer.Enabled());
    EXPECT_TRUE(IsShown(Form(), "Panel1"));
    EXPECT_FALSE(IsEnabled(Form(), "Button1"));

    Arrive({});
    EXPECT_FALSE(Form().Visible());
    EXPECT_FALSE(Raw("NoticeID"));
    EXPECT_FALSE(Raw("AlertID"));
}

TEST_F(NoticeFormTest, AClickOpensTheLinkAndClosesOnlyOnTheLastEntry) {
    struct Case {
        const char* part;
        int next;
        bool fails;
        std::vector<std::string> launched;
        bool shown;
    };
    const std::vector<Case> cases = {
        {"Label1", 1, false, {"http://example.org/2"}, true},
        {"Image1", 0, false, {}, true},
        {"Label2", 2, true, {"http://example.org/3"}, true},
        {"Panel2", 2, false, {"http://example.org/3"}, false},
    };
    for (const Case& row : cases) {
        Arrive({Entry("One", "", 11), Entry("Two", "http://example.org/2", 21),
                Entry("Three", " http://example.org/3 ", 31)});
        for (int i = 0; i < row.next; ++i) {
            Click(Form(), "Button1");
        }
        launched.clear();
        launchFails = row.fails;
        if (row.fails) {
            boxes.Answer(IDOK);
        }
        Click(Form(), row.part);
        EXPECT_EQ(launched, row.launched) << row.part;
        EXPECT_EQ(Form().Visible(), row.shown) << row.part;
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Couldn't launch default browser");
}

TEST_F(NoticeFormTest, ACloseStoresTheHighestIdsShownWithoutLoweringTheStoredOnes) {
    Globals->SetNoticeID(40);
    Globals->SetAlertID(3);
    Arrive({Entry("Notice 7", "", 71), Entry("Alert 9", "", 92), Entry("Notice 50", "", 501)});
    Click(Form(), "Image2");
    EXPECT_FALSE(Form().Visible());
    EXPECT_EQ(Form().CurrentIndex, -1);
    EXPECT_EQ(Globals->GetNoticeID(), 40);
    EXPECT_EQ(Globals->GetAlertID(), 3);

    Form().ShowNextNotice();
    Click(Form(), "Button1");
    Click(Form(), "Button1");
    Click(Form(), "Image2");
    EXPECT_EQ(Globals->GetNoticeID(), 50);
    EXPECT_EQ(Globals->GetAlertID(), 9);
}

// The darkness of what a DC shows over an area.
int InkOf(HDC dc, const RECT& area) {
    int ink = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            ink += 255 - GetRValue(::GetPixel(dc, x, y));
        }
    }
    return ink;
}

RECT WorkArea() {
    RECT area{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

TEST_F(NoticeFormTest, ATallEntryIsCutAndStaysInsideTheWorkArea) {
    std::string body;
    while (body.size() < 1000000) {
        body += "maintenance ";
    }
    Arrive({{"Long|" + body + "|", 11}, Entry("Other", "", 21)});
    const std::string shown = Form().ControlText("Label2");
    EXPECT_EQ(shown, body.substr(0, 4096) + "...");
    const RECT area = WorkArea();
    for (const char* part : {"Image2", "Label3", "Button1"}) {
        RECT place{};
        ::GetWindowRect(Form().Control(part), &place);
        EXPECT_GE(place.top, area.top) << part;
        EXPECT_LE(place.bottom, area.bottom) << part;
    }
}

TEST_F(NoticeFormTest, ALongWordAndAFiveDigitCounterStayInsideTheirBoxes) {
    TNoticeList many(12345, Entry("Word", "", 11));
    many[0].NoticeItem = "Word|" + std::string(300, 'w') + "|";
    Arrive(many);
    EXPECT_LE(Form().ControlPlace("Label2").width, 200);
    HWND counter = Form().Control("Label3");
    const std::string text = Form().ControlText("Label3");
    EXPECT_EQ(text, "Displaying notice 1 of 12345");
    const UniqueWindowDc dc(counter);
    const ScopedSelection font(dc.get(),
                               reinterpret_cast<HFONT>(::SendMessageA(counter, WM_GETFONT, 0, 0)));
    RECT extent{};
    ::DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_LE(extent.right, Form().ControlPlace("Label3").width);
}

TEST_F(NoticeFormTest, TheTitleIsDrawnBolderThanRegularText) {
    Arrive({Entry("Hbm Hbm", "", 11)});
    timers.Advance(85);
    HWND title = Form().Control("Label1");
    ::RedrawWindow(title, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpUntilIdle();
    RECT place{};
    ::GetWindowRect(title, &place);
    const UniqueWindowDc screen(nullptr);
    const int drawn = InkOf(screen.get(), place);

    RECT area{0, 0, place.right - place.left, place.bottom - place.top};
    const UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    const UniqueGdiObject<HBITMAP> bitmap(
        ::CreateCompatibleBitmap(screen.get(), area.right, area.bottom));
    const ScopedSelection canvas(memory.get(), bitmap.get());
    const UniqueGdiObject<HFONT> regular(
        ::CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
    const ScopedSelection font(memory.get(), regular.get());
    ::FillRect(memory.get(), &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawTextA(memory.get(), "Hbm Hbm", 7, &area, DT_WORDBREAK | DT_NOPREFIX);
    EXPECT_GT(drawn, InkOf(memory.get(), area) * 11 / 10);
}

TEST_F(NoticeFormTest, Screenshot) {
    Arrive({{"Scheduled maintenance|The update servers restart on Sunday at 02:00 UTC; updates "
             "sent meanwhile are retried.|http://example.org/maintenance",
             11},
            Entry("Other", "", 21)});
    timers.Advance(85);
    PumpUntilIdle();
    SaveScreenshot(Form().Handle(), "notice-popup");
    ::SetForegroundWindow(Form().Handle());
    ::SetFocus(Form().Control("Button1"));
    SaveScreenshot(Form().Handle(), "notice-popup-next-focused");
    std::string body;
    while (body.size() < 5000) {
        body += "A long notice with a singlewordthatislongerthanthewholewindowisbroad. ";
    }
    Arrive({{"Scheduled maintenance|" + body + "|", 11}, Entry("Other", "", 21)});
    SaveScreenshot(Form().Handle(), "notice-popup-tall");
}

} // namespace
} // namespace vek::testing
