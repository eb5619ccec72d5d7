// The desktop client's single-instance rule with real processes: a second start hands over to
// the running instance and ends without a window; of two started together exactly one runs.
#include "tests/win/roads/ProgramRun.h"
#include "tests/win/roads/RoadsFixture.h"
#include "tests/win/support/PollUntil.h"

#include <algorithm>
#include <memory>

namespace vek::testing {
namespace {

constexpr DWORD kWindowBoundMs = 30000;
// The second instance looks for the first one's window for 10 s at most.
constexpr DWORD kSecondEndBoundMs = 30000;
constexpr DWORD kDesktopEndBoundMs = 20000;
constexpr char kHandOverLine[] = "Existing instance running and brought to front.";

class HandOverTest : public RoadsTest {
protected:
    HandOverTest() { StoreClient("00000000000000000003", "00000000000000000000000000000003"); }

    std::vector<std::string> ClientLog() { return LogTexts(folder.Path() + "VEK.log"); }
    long HandOvers() {
        const std::vector<std::string> lines = ClientLog();
        return std::count(lines.begin(), lines.end(), kHandOverLine);
    }
};

TEST_F(HandOverTest, ASecondStartBringsTheFirstToTheFrontAndEnds) {
    ProgramRun first("");
    const HWND window = WaitForClientWindow(kWindowBoundMs);
    ASSERT_NE(window, nullptr);
    // A plain close only hides the window: the hand-over must show it again.
    ::SendMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_FALSE(::IsWindowVisible(window));
    ASSERT_TRUE(first.Running());

    ProgramRun second("");
    int mostWindows = 0;
    PollUntil(
        [&] {
            mostWindows = std::max(mostWindows, CountClientWindows());
            return !second.Running();
        },
        kSecondEndBoundMs);
    EXPECT_EQ(second.WaitForExit(0), std::optional<DWORD>(0));
    EXPECT_EQ(mostWindows, 1) << "the second instance opened no window";
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(HandOvers(), 1);
    // The second instance's own core opened the same log: its start and end lines are there.
    const std::vector<std::string> lines = ClientLog();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "***Logging started.***"), 2);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "***Logging ending.***"), 1);

    EndDesktopClient(window);
    EXPECT_EQ(first.WaitForExit(kDesktopEndBoundMs), std::optional<DWORD>(0));
}

TEST_F(HandOverTest, OfTwoStartedTogetherOneRuns) {
    auto a = std::make_unique<ProgramRun>("");
    auto b = std::make_unique<ProgramRun>("");
    ASSERT_TRUE(PollUntil([&] { return !a->Running() || !b->Running(); }, kSecondEndBoundMs))
        << "neither instance ended";
    ProgramRun& ended = a->Running() ? *b : *a;
    ProgramRun& runner = a->Running() ? *a : *b;
    EXPECT_EQ(ended.WaitForExit(0), std::optional<DWORD>(0));

    const HWND window = WaitForClientWindow(kWindowBoundMs);
    ASSERT_NE(window, nullptr);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(owner, runner.ProcessId());
    EXPECT_EQ(CountClientWindows(), 1);
    EXPECT_TRUE(runner.Running());
    EXPECT_EQ(HandOvers(), 1) << "the one that ended handed over";

    EndDesktopClient(window);
    EXPECT_EQ(runner.WaitForExit(kDesktopEndBoundMs), std::optional<DWORD>(0));
}

} // namespace
} // namespace vek::testing
