#include <gtest/gtest.h>

#include "Main/core/VEKGlobals.h"
#include "tests/win/support/FakeMainWindow.h"
#include "tests/win/support/ScopedGlobals.h"

namespace vek::testing {
namespace {

constexpr int kLabel3Left = 10;
// "Updating: " is ten characters wide.
constexpr int kRowStart = kLabel3Left + 10 * FakeMainWindow::kPixelsPerCharacter;

class MissingHostsTest : public ::testing::Test {
protected:
    MissingHostsTest() {
        window.labels[MainLabel::Label3] = FakeLabel{"Updating: ", "", kLabel3Left, true};
        stored = globals.GetUpdateList();
    }
    ~MissingHostsTest() override { globals.SetUpdateList(stored); }

    const FakeLabel& Label(MainLabel label) { return window.labels[label]; }
    // Runs what the core posted to this thread's message queue, as the message loop would once
    // the handler returns.
    static void ReturnToTheMessageLoop() {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageA(&message);
        }
    }
    std::string StoredList() {
        TRegistry settings(HKEY_CURRENT_USER);
        settings.OpenKey(kSettingsKey, false);
        return settings.ReadString("UpdateList");
    }

    // A desktop-role core without a log file.
    TVEKGlobals globals{TVEKGlobalsOptions{{"-tests"}, nullptr}};
    FakeMainWindow window;
    std::string stored;
    ScopedMainWindow installed{globals, &window};
};

TEST_F(MissingHostsTest, EmptyListShowsNoSelectionAndTheFaultLight) {
    globals.AddMissingHost("gone");
    globals.SetUpdateList("");
    EXPECT_EQ(StoredList(), "");
    EXPECT_EQ(Label(MainLabel::Label4).caption, "0");
    EXPECT_EQ(Label(MainLabel::Label4).hint, "To select groups to keep updated, click Edit.");
    EXPECT_EQ(Label(MainLabel::Label5).caption, " Groups && ");
    EXPECT_EQ(Label(MainLabel::Label6).caption, "0");
    EXPECT_EQ(Label(MainLabel::Label6).hint, "To select hosts to keep updated, click Edit.");
    EXPECT_EQ(Label(MainLabel::Label7).caption, " Hosts");
    EXPECT_EQ(window.lights[StatusLight::JvImageSquare3], LightFault);
    EXPECT_FALSE(Label(MainLabel::Label8).visible);
    EXPECT_FALSE(Label(MainLabel::Label9).visible);
    EXPECT_TRUE(globals.MissingHosts.Empty());
    // Row 1 from left to right, each label where the one before it ends: "0", " Groups & ", "0".
    EXPECT_EQ(Label(MainLabel::Label4).left, kRowStart);
    EXPECT_EQ(Label(MainLabel::Label5).left, kRowStart + 6);
    EXPECT_EQ(Label(MainLabel::Label6).left, kRowStart + 6 + 60);
    EXPECT_EQ(Label(MainLabel::Label7).left, kRowStart + 6 + 60 + 6);
}

TEST_F(MissingHostsTest, CountsGroupsAndHostsWithTheirNamesAsHints) {
    struct Case {
        const char* list;
        const char* groups;
        const char* groupWord;
        const char* groupHint;
        const char* hosts;
        const char* hostWord;
        const char* hostHint;
    };
    const Case cases[] = {
        {"h[]=a&g[]=team&h[]=b", "1", " Group && ", "team", "2", " Hosts", "a\r\nb"},
        {"g[]=home", "1", " Group && ", "home", "0", " Hosts",
         "To select hosts to keep updated, click Edit."},
        {"g[]=x&g[]=y&h[]=only", "2", " Groups && ", "x\r\ny", "1", " Host", "only"},
        // Blanks end items too, and a quoted item keeps its blank.
        {"h[]=a \"h[]=my host\"", "0", " Groups && ",
         "To select groups to keep updated, click Edit.", "2", " Hosts", "a\r\nmy host"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        window.lights.clear();
        globals.SetUpdateList(c.list);
        EXPECT_EQ(StoredList(), c.list);
        EXPECT_EQ(Label(MainLabel::Label4).caption, c.groups);
        EXPECT_EQ(Label(MainLabel::Label5).caption, c.groupWord);
        EXPECT_EQ(Label(MainLabel::Label4).hint, c.groupHint);
        EXPECT_EQ(Label(MainLabel::Label6).caption, c.hosts);
        EXPECT_EQ(Label(MainLabel::Label7).caption, c.hostWord);
        EXPECT_EQ(Label(MainLabel::Label6).hint, c.hostHint);
        EXPECT_TRUE(window.lights.empty()) << "the update light is left alone";
    }
    // Widths follow the new captions: "2", " Groups & ", "1".
    EXPECT_EQ(Label(MainLabel::Label6).left, kRowStart + 6 + 60);
    EXPECT_EQ(Label(MainLabel::Label7).left, kRowStart + 6 + 60 + 6);
}

TEST_F(MissingHostsTest, MissingNamesAreSortedCaseInsensitiveAndShownOnRowTwo) {
    globals.SetUpdateList("h[]=a&h[]=b");
    globals.AddMissingHost("b");
    globals.AddMissingHost("A");
    EXPECT_EQ(Label(MainLabel::Label8).caption, "2");
    EXPECT_EQ(Label(MainLabel::Label8).hint, "b") << "the rest joined once the handler returns";
    ReturnToTheMessageLoop();
    EXPECT_EQ(Label(MainLabel::Label8).hint, "A,b");
    EXPECT_TRUE(Label(MainLabel::Label8).visible);
    EXPECT_TRUE(Label(MainLabel::Label9).visible);
    EXPECT_EQ(Label(MainLabel::Label8).left, kRowStart);
    EXPECT_EQ(Label(MainLabel::Label9).left, kRowStart + 6);

    globals.AddMissingHost("a");
    EXPECT_EQ(Label(MainLabel::Label8).caption, "2");
    EXPECT_EQ(globals.MissingHosts.Count(), 2u);

    for (const char* name : {"c", "d", "e", "f", "g", "h", "i", "j"}) {
        globals.AddMissingHost(name);
    }
    EXPECT_EQ(Label(MainLabel::Label8).caption, "10");
    EXPECT_EQ(Label(MainLabel::Label9).left, kRowStart + 12);
    ReturnToTheMessageLoop();
    EXPECT_EQ(Label(MainLabel::Label8).hint, "A,b,c,d,e,f,g,h,i,j");

    globals.AddMissingHost("k");
    globals.ClearMissingHosts();
    ReturnToTheMessageLoop();
    EXPECT_TRUE(globals.MissingHosts.Empty());
    EXPECT_FALSE(Label(MainLabel::Label8).visible);
    EXPECT_FALSE(Label(MainLabel::Label9).visible);
    EXPECT_EQ(Label(MainLabel::Label8).hint, "A,b,c,d,e,f,g,h,i,j")
        << "a cleared list is not shown";
}

TEST_F(MissingHostsTest, SetUpdateListHidesRowTwoAndForgetsMissingNames) {
    globals.AddMissingHost("b");
    globals.SetUpdateList("h[]=a&h[]=b");
    EXPECT_TRUE(globals.MissingHosts.Empty());
    EXPECT_FALSE(Label(MainLabel::Label8).visible);
    EXPECT_FALSE(Label(MainLabel::Label9).visible);
}

TEST_F(MissingHostsTest, UpdateListWithoutMissingDropsEveryItemOfAMissingName) {
    struct Case {
        const char* list;
        std::vector<std::string> missing;
        const char* expected;
    };
    const Case cases[] = {
        {"h[]=a&g[]=team&h[]=b", {"b"}, "h[]=a&g[]=team"},
        {"h[]=a&g[]=team&h[]=b", {"B"}, "h[]=a&g[]=team"},
        {"h[]=a&g[]=team&h[]=b", {}, "h[]=a&g[]=team&h[]=b"},
        {"h[]=a&g[]=team&h[]=b", {"a", "TEAM", "b"}, ""},
        // The prefix plays no part: a host and a group of one name both go.
        {"h[]=x&g[]=x&h[]=y", {"X"}, "h[]=y"},
        // Quoted items stay quoted; empty items name nothing and are left out.
        {"\"h[]=my host\"&h[]=c", {"c"}, "\"h[]=my host\""},
        {"h[]=a&&h[]=b&", {}, "h[]=a&h[]=b"},
    };
    const ScopedMainWindow noWindow(globals, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        globals.SetUpdateList(c.list);
        globals.MissingHosts.Clear();
        for (const std::string& name : c.missing) {
            globals.AddMissingHost(name);
        }
        EXPECT_EQ(globals.GetUpdateListWithoutMissing(), c.expected);
    }
}

TEST_F(MissingHostsTest, WithoutMainWindowOnlyTheListAndTheSettingChange) {
    // As in the service role, where no main window exists.
    const ScopedMainWindow noWindow(globals, nullptr);
    globals.AddMissingHost("b");
    globals.SetUpdateList("h[]=a");
    EXPECT_EQ(StoredList(), "h[]=a");
    EXPECT_EQ(globals.MissingHosts.Count(), 1u);
    EXPECT_EQ(window.labels.size(), 1u) << "only the form's Label3 exists";
    EXPECT_TRUE(window.lights.empty());
}

} // namespace
} // namespace vek::testing
