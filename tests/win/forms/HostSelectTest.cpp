// The host selection dialog: the host-list reply read into rows, the stored choice's ticks, the
// new choice in row order, Save with the lock's check box, the group warning, the wheel, the
// layout as the dialog is sized, and the link.
#include "Main/core/ProviderUrls.h"
#include "Main/forms/HostListLock.h"
#include "Main/forms/HostRowDrawing.h"
#include "Main/forms/RowFinder.h"
#include "Main/forms/Unit2.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FormDriver.h"

#include <windowsx.h>

#include <functional>

namespace vek::testing {
namespace {

using RowTexts = std::vector<std::string>;

// What the screen shows over a rectangle, row by row, as RGB colours.
struct ScreenPixels {
    explicit ScreenPixels(const RECT& place)
        : width(place.right - place.left), height(place.bottom - place.top),
          pixels(static_cast<std::size_t>(width * height)) {
        const UniqueWindowDc screen(nullptr);
        const UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
        const UniqueGdiObject<HBITMAP> bitmap(
            ::CreateCompatibleBitmap(screen.get(), width, height));
        {
            const ScopedSelection canvas(memory.get(), bitmap.get());
            ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), place.left, place.top,
                     SRCCOPY);
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        ::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(), &info,
                    DIB_RGB_COLORS);
    }
    // As COLORREF.
    COLORREF At(int x, int y) const {
        const DWORD bgr = pixels[static_cast<std::size_t>(y * width + x)];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    bool Dark(int x, int y) const {
        const COLORREF color = At(x, y);
        return GetRValue(color) + GetGValue(color) + GetBValue(color) < 3 * 128;
    }
    // The rightmost column with a pixel for which `ink` holds in rows [top, bottom); -1 for none.
    int RightmostInk(int top, int bottom, const std::function<bool(int, int)>& ink) const {
        for (int x = width - 1; x >= 0; --x) {
            for (int y = top; y < bottom; ++y) {
                if (ink(x, y)) {
                    return x;
                }
            }
        }
        return -1;
    }

    int width;
    int height;
    std::vector<DWORD> pixels;
};

RECT ScreenRect(HWND window) {
    RECT place{};
    ::GetWindowRect(window, &place);
    return place;
}

class HostSelectTest : public GlobalsTest, public IHostListSource {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        Globals->SetCID("client-7");
        Globals->SetCKey("key-7");
    }
    std::string HttpGet(const std::string& url) override {
        urls.push_back(url);
        return reply;
    }

    // The dialog once it has shown the reply.
    std::unique_ptr<THostSelect> Open(const std::string& text) {
        reply = text;
        auto dialog = std::make_unique<THostSelect>(
            nullptr, [this](const std::string& page) { pages.push_back(page); });
        EXPECT_TRUE(PumpUntil([&] { return !dialog->Created.Enabled(); }));
        dialog->Show();
        PumpUntilIdle();
        return dialog;
    }

    // Each row as its kind's letter and its caption; a group with its host count; " *" when
    // checked.
    static RowTexts Rows(const THostSelect& dialog) {
        RowTexts rows;
        HWND list = dialog.Control("ListView1");
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            char caption[256] = {};
            ListView_GetItemText(list, row, 0, caption, sizeof caption);
            const HostRowKind kind = dialog.RowKind(row);
            std::string text = "SDMGH"[static_cast<int>(kind)] + std::string(" ") + caption;
            if (kind == HostRowKind::Group) {
                LVITEMA item{};
                item.mask = LVIF_PARAM;
                item.iItem = row;
                ListView_GetItem(list, &item);
                const auto& record = *reinterpret_cast<const THostItem*>(item.lParam);
                text += " (" + std::to_string(record.Hosts.Count()) + ")";
            }
            rows.push_back(text + (ListView_GetCheckState(list, row) ? " *" : ""));
        }
        return rows;
    }

    static void Check(const THostSelect& dialog, int row) {
        ListView_SetCheckState(dialog.Control("ListView1"), row, TRUE);
    }

    std::string reply;
    std::vector<std::string> urls;
    std::vector<std::string> pages;
    MessageBoxScript boxes;
    ModalScript modals;

private:
    seams::Seam<IHostListSource>::Override source_{*this};
};

TEST_F(HostSelectTest, TheReplyBecomesRowsByItsGrammar) {
    const std::pair<std::string, RowTexts> cases[] = {
        // A host in two groups, a "-." host, two domains.
        {"#,-.user.example|#,lake.other.example|#,office.user.example|all,home.user.example|"
         "family,cabin.user.example|family,home.user.example\n",
         {"S Groups", "G all (1)", "G family (2)", "S Hosts", "D other.example",
          "H lake.other.example", "D user.example", "H -.user.example", "H office.user.example"}},
        {"#,b.x.example|#,a.x.example|#,A.x.example|g,b.x.example|g,B.x.example|",
         {"S Groups", "G g (1)", "S Hosts", "D x.example", "H a.x.example", "H b.x.example"}},
        {"#,mail.example.net@relay.example|",
         {"S Groups", "S Hosts", "D example.net", "H mail.example.net@relay.example"}},
        {"-1", {"M Error downloading host list,", "M please verify connection."}},
        {"status=3", {"M Error downloading host list,", "M please verify username and password."}},
        {"-1,a.x.example|", {"S Groups", "G -1 (1)", "S Hosts"}},
        // Without its last character.
        {"#,a.x.example|#,b.x.example",
         {"S Groups", "S Hosts", "D x.exampl", "H b.x.exampl", "D x.example", "H a.x.example"}},
        // Keys equal without regard to case.
        {"#,c.team|Team,a.x.example|team,b.x.example|",
         {"S Groups", "G Team (1)", "G team (1)", "S Hosts", "D team", "H c.team"}},
        // Records outside the grammar.
        {"||,a.x.example|#,nodot|#,.x.example|#,a.|#,a.@b|nocomma|#,ok.x.example|",
         {"S Groups", "S Hosts", "D x.example", "H ok.x.example"}},
        {" #,a.x.example \"g,b \"\"c\"\".x.example\"\n",
         {"S Groups", "G g (1)", "S Hosts", "D x.example", "H a.x.example"}},
        {"404", {"S Groups", "S Hosts"}},
    };
    for (const auto& [text, rows] : cases) {
        EXPECT_EQ(Rows(*Open(text)), rows) << text;
    }
    EXPECT_EQ(urls.at(0).rfind(HostListUrl(Globals->Endpoints, "client-7") + "&pass=HMAC{", 0), 0u);
}

TEST_F(HostSelectTest, TheStoredChoiceTicksRowsOfItsOwnKind) {
    // "b.x.example" names a group and a host.
    const std::string list = "b.x.example,a.x.example|#,b.x.example|#,c.x.example|";
    const std::pair<const char*, RowTexts> cases[] = {
        {"h[]=B.X.EXAMPLE", {"G b.x.example (1)", "H b.x.example *", "H c.x.example"}},
        {"g[]=b.x.example", {"G b.x.example (1) *", "H b.x.example", "H c.x.example"}},
        {"h[]=gone.x.example&&h[]=c.x.example&h[]=x.example&g[]=Hosts",
         {"G b.x.example (1)", "H b.x.example", "H c.x.example *"}},
    };
    for (const auto& [stored, rows] : cases) {
        Globals->SetUpdateList(stored);
        const RowTexts shown = Rows(*Open(list));
        EXPECT_EQ((RowTexts{shown[1], shown[4], shown[5]}), rows) << stored;
    }
}

TEST(RowFinderTest, FindsTheExactCaptionFirstThenTheFirstEqualWithoutCase) {
    const TRowFinder rows({{"b.x", 4}, {"A.x", 1}, {"a.x", 3}, {"B.X", 2}, {"a.x", 0}});
    const std::pair<const char*, int> cases[] = {{"a.x", 0}, {"A.x", 1},  {"b.X", 2}, {"B.X", 2},
                                                 {"b.x", 4}, {"c.x", -1}, {"", -1}};
    for (const auto& [caption, row] : cases) {
        EXPECT_EQ(rows.Find(caption), row) << caption;
    }
}

TEST_F(HostSelectTest, TheNewChoiceIsTheCheckedRowsInRowOrderAndNoneWithoutAList) {
    const auto dialog = Open("zeta,a.user.example|alpha,b.user.example|#,office.user.example|"
                             "#,-.user.example|#,lake.other.example|");
    EXPECT_EQ(dialog->NewUpdateList(), "");
    // Groups alpha, zeta; other.example with lake; user.example with -., office.
    for (const int row : {8, 2, 7, 1, 5}) {
        Check(*dialog, row);
    }
    EXPECT_EQ(dialog->NewUpdateList(), "g[]=alpha&g[]=zeta&h[]=lake.other.example&"
                                       "h[]=-.user.example&h[]=office.user.example");
    const THostSelect waiting(nullptr, nullptr);
    EXPECT_EQ(Rows(waiting), RowTexts{"M Downloading group and hosts list..."});
    EXPECT_EQ(waiting.NewUpdateList(), std::nullopt);
    EXPECT_EQ(Open("-1")->NewUpdateList(), std::nullopt);
    EXPECT_EQ(Open("status=3")->NewUpdateList(), std::nullopt);
}

TEST_F(HostSelectTest, SaveAppliesTheLockCheckBox) {
    struct Case {
        bool locked;
        const char* stored;
        bool checked;
        // The lock prompt's answer ("" cancels); not asked when null.
        const char* answer;
        int result;
        std::string password;
    };
    const Case cases[] = {
        {true, "OLD", false, nullptr, mrOk, ""},
        {true, "OLD", true, nullptr, mrOk, "OLD"},
        {false, "", true, "pw", mrOk, HostPasswordHash("pw")},
        {false, "", true, "", mrNone, ""},
    };
    for (const Case& c : cases) {
        Globals->SetHostListLocked(c.locked);
        Globals->SetHostPassword(c.stored);
        const auto dialog = Open("#,a.x.example|");
        EXPECT_EQ(dialog->LockChecked(), c.locked);
        Button_SetCheck(dialog->Control("CheckBox1"), c.checked ? BST_CHECKED : BST_UNCHECKED);
        if (c.answer != nullptr) {
            modals.When("PasswordPrompt", [&c](TForm& prompt) {
                EXPECT_EQ(
                    prompt.ControlText("Label1").rfind("Please enter a password to lock  ", 0), 0u);
                Type(prompt, "Edit1", c.answer);
                Click(prompt, *c.answer != '\0' ? "Button1" : "Button2");
            });
        }
        Click(*dialog, "Button1");
        EXPECT_EQ(dialog->ModalResult(), c.result) << c.stored << c.checked;
        EXPECT_EQ(Globals->GetHostPassword(), c.password) << c.stored << c.checked;
    }
}

TEST_F(HostSelectTest, TheGroupWarningComesOnceAtAClickWithAGroupChecked) {
    const auto dialog = Open("team,a.x.example|crew,b.x.example|#,c.x.example|");
    // A click on the last row's caption, as the mouse makes it.
    const auto click = [list = dialog->Control("ListView1")] {
        RECT label{};
        ListView_GetItemRect(list, ListView_GetItemCount(list) - 1, &label, LVIR_LABEL);
        const LPARAM at = MAKELPARAM(label.left + 20, (label.top + label.bottom) / 2);
        ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(list, WM_LBUTTONUP, 0, at);
        PumpUntilIdle();
    };
    // Groups crew, team; x.example with c.
    Check(*dialog, 5);
    click();
    Check(*dialog, 2);
    boxes.Answer(IDOK);
    click();
    Check(*dialog, 1);
    click();
    EXPECT_EQ(boxes.shown, (std::vector<MessageBoxScript::Box>{
                               {"Warning: All hosts within the group will be updated.\r\n"
                                "You can not select individual hosts within a group\r\n"
                                "unless you are using the sub-account feature.",
                                "Tarvo VEK", 48}}));
    EXPECT_EQ(Rows(*dialog)[1], "G crew (1) *");
    EXPECT_EQ(::GetFocus(), dialog->Control("CheckBox1")) << "the list passes its focus on";
}

// The click that ticks a group warns, and the row keeps its tick.
TEST_F(HostSelectTest, TheClickThatTicksAGroupWarnsAndStaysTicked) {
    const auto dialog = Open("team,a.x.example|#,c.x.example|");
    HWND list = dialog->Control("ListView1");
    RECT row{};
    ListView_GetItemRect(list, 1, &row, LVIR_BOUNDS);
    const LPARAM box = MAKELPARAM(row.left + 8, (row.top + row.bottom) / 2);
    boxes.Answer(IDOK);
    ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, box);
    ::PostMessageA(list, WM_LBUTTONUP, 0, box);
    PumpUntilIdle();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(Rows(*dialog)[1], "G team (1) *");
}

TEST_F(HostSelectTest, TheWheelScrollsThreeRowsByItsSignOnlyOverTheList) {
    std::string many;
    for (int i = 100; i < 180; ++i) {
        many += "#,host" + std::to_string(i) + ".x.example|";
    }
    const auto dialog = Open(many);
    HWND list = dialog->Control("ListView1");
    ListView_EnsureVisible(list, ListView_GetItemCount(list) - 1, FALSE);
    ListView_EnsureVisible(list, 40, FALSE);
    const std::tuple<const char*, short, int> cases[] = {
        {"ListView1", 120, -3}, {"ListView1", -240, 3}, {"ListView1", 0, 0}, {"Button1", -120, 0}};
    for (const auto& [under, delta, rows] : cases) {
        RECT place{};
        ::GetWindowRect(dialog->Control(under), &place);
        const int top = ListView_GetTopIndex(list);
        EXPECT_EQ(::SendMessageA(dialog->Control(under), WM_MOUSEWHEEL, MAKEWPARAM(0, delta),
                                 MAKELPARAM(place.left + 5, place.top + 5)),
                  0);
        EXPECT_EQ(ListView_GetTopIndex(list) - top, rows) << under << " " << delta;
    }
}

TEST_F(HostSelectTest, OpensAtNoLessThanItsMinimumAndFollowsTheUsersSizing) {
    const auto dialog = Open("#,a.x.example|");
    RECT frame{};
    ::GetWindowRect(dialog->Handle(), &frame);
    EXPECT_GE(frame.right - frame.left, 265);
    EXPECT_GE(frame.bottom - frame.top, 470);
    RECT client{};
    ::GetClientRect(dialog->Handle(), &client);
    EXPECT_GE(client.right, 249);
    EXPECT_GE(client.bottom, 436);
    ::SetWindowPos(dialog->Handle(), nullptr, 0, 0, frame.right - frame.left + 100,
                   frame.bottom - frame.top + 60, SWP_NOMOVE | SWP_NOZORDER);
    // Where each control is now: the list as much wider than designed as the client area, it,
    // the box and the buttons as much lower.
    const int dx = client.right + 100 - 249;
    const int dy = client.bottom + 60 - 436;
    const std::pair<const char*, std::tuple<int, int, int, int>> places[] = {
        {"Label4", {184, 21, 56, 13}},
        {"ListView1", {8, 66 + dy, 233 + dx, 305}},
        {"CheckBox1", {8, 379 + dy, 233, 17}},
        {"Button2", {166, 404 + dy, 75, 25}}};
    for (const auto& [name, place] : places) {
        const PixelRect now = dialog->ControlPlace(name);
        EXPECT_EQ(std::tuple(now.left, now.top, now.width, now.height), place) << name;
    }
    ::SetWindowPos(dialog->Handle(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
    ::GetWindowRect(dialog->Handle(), &frame);
    EXPECT_EQ(frame.right - frame.left, 265);
    EXPECT_EQ(frame.bottom - frame.top, 470);
}

TEST_F(HostSelectTest, TheLinkUnderlinesUnderTheMouseAndOpensTheMembersPage) {
    const auto dialog = Open("#,a.x.example|");
    HWND link = dialog->Control("Label4");
    ::SendMessageA(link, WM_MOUSEMOVE, 0, 0);
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(link, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    EXPECT_TRUE(font.lfUnderline);
    Click(*dialog, "Label4");
    EXPECT_EQ(pages, std::vector<std::string>{"members/dns/"});
}

TEST_F(HostSelectTest, TheThirdInstructionLineShowsItsLastWord) {
    const auto dialog = Open("#,a.x.example|");
    const ScreenPixels line(ScreenRect(dialog->Control("Label10")));
    // "your" takes the last fifth of the line's text.
    EXPECT_GT(line.RightmostInk(0, line.height, [&](int x, int y) { return line.Dark(x, y); }),
              200);
}

TEST_F(HostSelectTest, AGroupsCountFollowsItsOpeningWithoutAGap) {
    for (const char* group : {"family", "a-longer-group-name-here"}) {
        const auto dialog = Open(std::string(group) + ",a.x.example|" + group + ",b.x.example|");
        HWND list = dialog->Control("ListView1");
        RECT label{};
        ListView_GetItemRect(list, 1, &label, LVIR_LABEL);
        ::MapWindowPoints(list, HWND_DESKTOP, reinterpret_cast<POINT*>(&label), 2);
        const ScreenPixels row(label);
        const auto blue = [&](int x, int y) {
            const COLORREF color = row.At(x, y);
            return GetBValue(color) > 160 && GetRValue(color) < 100;
        };
        int count = 0;
        while (count < row.width && row.RightmostInk(0, row.height, [&](int x, int y) {
            return x == count && blue(x, y);
        }) < 0) {
            ++count;
        }
        const int opening = row.RightmostInk(0, row.height, [&](int x, int y) {
            return x < count && row.Dark(x, y) && !blue(x, y);
        });
        EXPECT_LE(count - opening, 3) << group;
    }
}

TEST_F(HostSelectTest, TheLinksUnderlineEndsWithItsText) {
    const auto dialog = Open("#,a.x.example|");
    HWND link = dialog->Control("Label4");
    ::SendMessageA(link, WM_MOUSEMOVE, 0, 0);
    ::UpdateWindow(link);
    PumpUntilIdle();
    const ScreenPixels shown(ScreenRect(link));
    const auto inked = [&](int x, int y) { return GetRValue(shown.At(x, y)) < 100; };
    // The underline is the lowest row with ink; the letters stand above it.
    int underline = shown.height - 1;
    while (underline > 0 && shown.RightmostInk(underline, underline + 1, inked) < 0) {
        --underline;
    }
    EXPECT_LE(shown.RightmostInk(underline, underline + 1, inked),
              shown.RightmostInk(0, underline - 1, inked) + 2);
    SaveScreenshot(dialog->Handle(), "host-select-link-hovered");
}

TEST_F(HostSelectTest, HostNamesAreDrawnWithoutALeadingDashDotAndShortenedToFit) {
    const auto oneEach = [](std::string_view text) { return static_cast<int>(text.size()); };
    EXPECT_EQ(FitWithEllipsis("abcdef", 6, oneEach), "abcdef");
    EXPECT_EQ(FitWithEllipsis("abcdefghijkl", 10, oneEach), "abcdef...");
    EXPECT_EQ(FitWithEllipsis("abcdefghijkl", 4, oneEach), "...");
    EXPECT_EQ(FitWithEllipsis("abcdefghijkl", 3, oneEach), "abcdefghijkl");
    EXPECT_EQ(DrawnHostName("-.user.example"), "user.example");
    EXPECT_EQ(DrawnHostName("a-.user.example"), "a-.user.example");
    Globals->SetUpdateList("g[]=family&h[]=office.user.example");
    SaveScreenshot(Open("#,-.user.example|#,lake.other.example|#,office.user.example|"
                        "all,home.user.example|family,cabin.user.example|family,home.user.example|"
                        "#,a-very-long-host-name-that-does-not-fit-the-row.user.example|\n")
                       ->Handle(),
                   "host-select");
    SaveScreenshot(Open("-1")->Handle(), "host-select-error");
}

} // namespace
} // namespace vek::testing
