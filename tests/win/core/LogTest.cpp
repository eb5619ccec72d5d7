// The log files: which role writes which file, the line format and the status echo, the trim at
// opening and by its 12-hour timer, and appends that always land at the file's end.
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FakeMainWindow.h"
#include "tests/win/support/FakeTimerScheduler.h"
#include "tests/win/support/ScopedGlobals.h"

#include <cstdlib>

namespace vek::testing {
namespace {

const std::string kStarted = "***Logging started.***";
const std::string kEnding = "***Logging ending.***";
constexpr std::size_t kKeep = 102400;

// Distinct bytes, so that a cut at the wrong place shows.
std::string Filler(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 97 == 96 ? '\n' : 'A' + (i * 7) % 53);
    }
    return bytes;
}

class LogTest : public CoreTest {
protected:
    FakeClock clock;
};

struct RoleCase {
    const char* name;
    std::vector<std::string> arguments;
    bool vekLog;
};

void PrintTo(const RoleCase& c, std::ostream* os) { *os << c.name; }

class LogRoleTest : public LogTest, public ::testing::WithParamInterface<RoleCase> {};

TEST_P(LogRoleTest, CreatesTheRolesFiles) {
    const RoleCase& c = GetParam();
    {
        auto globals = MakeGlobals(c.arguments);
        EXPECT_EQ(globals->LogOpen(), c.vekLog);
        // The service's log is not made in LogPath, by any role.
        EXPECT_FALSE(FileExists(LogFile("Service.log")));
        EXPECT_EQ(FileExists(LogFile("VEK.log")), c.vekLog);
        if (c.vekLog) {
            EXPECT_EQ(ReadFileBytes(LogFile("VEK.log")), LogLineAtDefaultTime(kStarted));
        }
    }
    if (c.vekLog) {
        EXPECT_EQ(ReadFileBytes(LogFile("VEK.log")),
                  LogLineAtDefaultTime(kStarted) + LogLineAtDefaultTime(kEnding));
    }
}

INSTANTIATE_TEST_SUITE_P(Roles, LogRoleTest,
                         ::testing::Values(RoleCase{"Desktop", {}, true},
                                           RoleCase{"Unregister", {"-unregister"}, false},
                                           RoleCase{"Other", {"x"}, false},
                                           RoleCase{"EmptyArgument", {""}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LogTest, ExistingFilesAreAppendedTo) {
    WriteFileBytes(LogFile("VEK.log"), "old\r\n");
    WriteFileBytes(LogFile("Service.log"), "service\r\n");
    MakeGlobals()->Log("text", false);
    EXPECT_EQ(ReadFileBytes(LogFile("VEK.log")), "old\r\n" + LogLineAtDefaultTime(kStarted) +
                                                     LogLineAtDefaultTime("text") +
                                                     LogLineAtDefaultTime(kEnding));
    EXPECT_EQ(ReadFileBytes(LogFile("Service.log")), "service\r\n");
}

struct TrimCase {
    const char* name;
    std::size_t sizeAfterStartLine;
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << c.name; }

class LogTrimAtOpeningTest : public LogTest, public ::testing::WithParamInterface<TrimCase> {};

TEST_P(LogTrimAtOpeningTest, KeepsTheLast102400BytesAfterTheStartLine) {
    const std::string startLine = LogLineAtDefaultTime(kStarted);
    const std::string old = Filler(GetParam().sizeAfterStartLine - startLine.size());
    WriteFileBytes(LogFile("VEK.log"), old);
    auto globals = MakeGlobals();
    const std::string whole = old + startLine;
    const std::string expected = whole.size() < kKeep ? whole : whole.substr(whole.size() - kKeep);
    EXPECT_EQ(ReadFileBytes(LogFile("VEK.log")), expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, LogTrimAtOpeningTest,
                         ::testing::Values(TrimCase{"OneByteShort", kKeep - 1},
                                           TrimCase{"Exact", kKeep},
                                           TrimCase{"OneByteOver", kKeep + 1},
                                           TrimCase{"Larger", 250001}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LogTest, TrimTimerFiresEvery12Hours) {
    FakeTimerScheduler scheduler(clock);
    auto globals = MakeGlobals();
    // Another writer grows the file past the limit.
    const std::string grown = ReadFileBytes(LogFile("VEK.log")) + Filler(150000);
    WriteFileBytes(LogFile("VEK.log"), grown);

    EXPECT_EQ(scheduler.Advance(43200000 - 1), 0);
    EXPECT_EQ(ReadFileBytes(LogFile("VEK.log")).size(), grown.size());
    EXPECT_EQ(scheduler.Advance(1), 1);
    EXPECT_EQ(ReadFileBytes(LogFile("VEK.log")), grown.substr(grown.size() - kKeep));

    // The next line goes to the end of the trimmed file.
    globals->Log("after", false);
    const std::string after = ReadFileBytes(LogFile("VEK.log"));
    EXPECT_EQ(after.size(), kKeep + LogLineAtDefaultTime("after").size());
    EXPECT_EQ(after.substr(kKeep).find("after\r\n"), LogLineAtDefaultTime("after").size() - 7);
    EXPECT_EQ(scheduler.Advance(43200000), 1);
}

TEST_F(LogTest, TextIsWrittenByteForByte) {
    auto globals = MakeGlobals();
    globals->Log("a\r\nb \xE4\xFF", false);
    EXPECT_EQ(ReadFileBytes(LogFile("VEK.log")),
              LogLineAtDefaultTime(kStarted) + LogLineAtDefaultTime("a\r\nb \xE4\xFF"));
}

TEST_F(LogTest, StatusEchoUsesTheTwelveHourClock) {
    auto globals = MakeGlobals();
    FakeMainWindow window;
    globals->Log("quiet", true);
    const ScopedMainWindow installed(*globals, &window);

    const struct {
        int hour, minute;
        const char* echo;
    } cases[] = {{0, 30, " 12:30am: text"}, {12, 0, " 12:00pm: text"}, {14, 5, " 2:05pm: text"}};
    for (const auto& c : cases) {
        clock.SetTime(CivilTime{2026, 7, 4, c.hour, c.minute, 0});
        globals->Log("text", true);
        EXPECT_EQ(window.statusText, c.echo);
    }
    globals->Log("file only", false);
    EXPECT_EQ(window.statusText, " 2:05pm: text");
    EXPECT_NE(ReadFileBytes(LogFile("VEK.log")).find(": file only\r\n"), std::string::npos);
}

TEST_F(LogTest, EchoWithoutALogFile) {
    auto globals = MakeGlobals({"x"});
    FakeMainWindow window;
    const ScopedMainWindow installed(*globals, &window);
    globals->Log("text", true);
    EXPECT_EQ(window.statusText, " 2:05pm: text");
    EXPECT_FALSE(FileExists(LogFile("VEK.log")));
}

// Two writers of one file: each line lands at the current end, whatever the other wrote or
// trimmed meanwhile.
TEST_F(LogTest, EveryLineIsAppendedAtTheCurrentEnd) {
    auto first = MakeGlobals();
    auto second = MakeGlobals();
    first->Log("one", false);
    second->Log("two", false);
    first->Log("three", false);
    EXPECT_EQ(ReadFileBytes(LogFile("VEK.log")),
              LogLineAtDefaultTime(kStarted) + LogLineAtDefaultTime(kStarted) +
                  LogLineAtDefaultTime("one") + LogLineAtDefaultTime("two") +
                  LogLineAtDefaultTime("three"));

    WriteFileBytes(LogFile("VEK.log"), Filler(kKeep + 5000));
    second->TrimLog();
    first->Log("four", false);
    const std::string content = ReadFileBytes(LogFile("VEK.log"));
    EXPECT_EQ(content.size(), kKeep + LogLineAtDefaultTime("four").size());
    EXPECT_EQ(content.substr(kKeep), LogLineAtDefaultTime("four"));
}

// The line format under the locale the environment selects (VEK_EXPECT_DATE_SEPARATOR names the
// date separator expected there; "/" by default).
TEST(LogLocale, LineFollowsTheLocaleDateSeparator) {
    const char* expected = std::getenv("VEK_EXPECT_DATE_SEPARATOR");
    const std::string separator = expected != nullptr ? expected : "/";
    SettingsKeyGuard guard;
    TempFolder folder;
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "LogPath", folder.Path());
    FakeClock clock;
    {
        TVEKGlobals globals(TVEKGlobalsOptions{{}, nullptr});
        globals.Log("text", false);
    }
    const std::string log = ReadFileBytes(folder.Path() + "VEK.log");
    const std::string line = "07" + separator + "04" + separator + "2026 14:05:09: text\r\n";
    EXPECT_NE(log.find(line), std::string::npos) << log;
}

} // namespace
} // namespace vek::testing
