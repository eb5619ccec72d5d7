// Two processes append to and trim one log file at once: every line stays whole, and each
// writer's remaining lines are the unbroken tail of what it wrote.
#include "classlib/WinHandles.h"
#include "tests/win/support/CoreFixture.h"

#include <cstdlib>
#include <regex>

namespace vek::testing {
namespace {

constexpr int kParentLines = 6000;
constexpr int kChildMinimumLines = 1500;
constexpr int kChildMaximumLines = 200000;
constexpr int kTrimEvery = 50;
constexpr DWORD kWaitBoundMs = 120000;
const std::string kPadding(150, 'x');

const char kReadyVariable[] = "VEK_LOG_HELPER_READY";
const char kDoneVariable[] = "VEK_LOG_HELPER_DONE";

std::string LineText(char writer, int index) {
    return std::string(1, writer) + " " + std::to_string(index) + " " + kPadding;
}

// The second writer: run by the test below as a process of its own, never by ctest. It appends
// and trims for as long as the first writer appends, then names its last line.
TEST(LogTwoProcessHelper, DISABLED_AppendAndTrim) {
    const char* readyName = std::getenv(kReadyVariable);
    const char* doneName = std::getenv(kDoneVariable);
    if (readyName == nullptr || doneName == nullptr) {
        GTEST_SKIP() << "runs only as the helper process of LogTwoProcess";
    }
    TVEKGlobals globals(TVEKGlobalsOptions{{}, nullptr});
    ASSERT_TRUE(globals.LogOpen());
    const UniqueHandle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName));
    const UniqueHandle done(::OpenEventA(SYNCHRONIZE, FALSE, doneName));
    ASSERT_TRUE(ready);
    ASSERT_TRUE(done);
    ::SetEvent(ready.get());
    int count = 0;
    while (count < kChildMaximumLines &&
           (count < kChildMinimumLines || ::WaitForSingleObject(done.get(), 0) == WAIT_TIMEOUT)) {
        globals.Log(LineText('C', count), false);
        if (++count % kTrimEvery == 0) {
            globals.TrimLog();
        }
    }
    globals.Log("C last " + std::to_string(count - 1), false);
}

struct Writers {
    std::vector<int> parent;
    std::vector<int> child;
    int childLast = -1;
    int ending = 0;
    std::vector<std::string> broken;
};

Writers ParseLog(const std::string& content) {
    static const std::regex kLine(
        R"(^[0-9]{2}\D[0-9]{2}\D[0-9]{4} [0-9]{2}\D[0-9]{2}\D[0-9]{2}: (.*)$)");
    static const std::regex kWriterText("^([PC]) ([0-9]+) (x*)$");
    Writers writers;
    std::size_t start = 0;
    bool first = true;
    while (start < content.size()) {
        const std::size_t end = content.find("\r\n", start);
        if (end == std::string::npos) {
            writers.broken.push_back("unterminated: " + content.substr(start, 60));
            break;
        }
        const std::string line = content.substr(start, end - start);
        start = end + 2;
        std::smatch match;
        std::smatch text;
        const bool whole = std::regex_match(line, match, kLine);
        const std::string body = whole ? match[1].str() : "";
        if (body == "***Logging started.***") {
        } else if (body.rfind("C last ", 0) == 0) {
            writers.childLast = std::stoi(body.substr(7));
        } else if (body == "***Logging ending.***") {
            ++writers.ending;
        } else if (whole && std::regex_match(body, text, kWriterText) && text[3] == kPadding) {
            (text[1] == "P" ? writers.parent : writers.child).push_back(std::stoi(text[2]));
        } else if (!first) {
            // Only the first line may have lost its front to a trim.
            writers.broken.push_back(line.substr(0, 60));
        }
        first = false;
    }
    return writers;
}

// The indexes are an unbroken run that ends with the writer's last line.
void ExpectTail(const std::vector<int>& indexes, int count, const char* writer) {
    ASSERT_FALSE(indexes.empty()) << writer;
    EXPECT_EQ(indexes.back(), count - 1) << writer;
    for (std::size_t i = 1; i < indexes.size(); ++i) {
        ASSERT_EQ(indexes[i], indexes[i - 1] + 1)
            << writer << " line lost after " << indexes[i - 1];
    }
}

using LogTwoProcess = CoreTest;

TEST_F(LogTwoProcess, LinesStayWholeAndOnlyTrimsDropThem) {
    auto globals = MakeGlobals();
    ASSERT_TRUE(globals->LogOpen());

    const std::string suffix = std::to_string(::GetCurrentProcessId());
    const std::string readyName = "Local\\VEKLogHelperReady-" + suffix;
    const std::string doneName = "Local\\VEKLogHelperDone-" + suffix;
    const UniqueHandle ready(::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
    const UniqueHandle done(::CreateEventA(nullptr, TRUE, FALSE, doneName.c_str()));
    ASSERT_TRUE(ready);
    ASSERT_TRUE(done);
    ::SetEnvironmentVariableA(kReadyVariable, readyName.c_str());
    ::SetEnvironmentVariableA(kDoneVariable, doneName.c_str());

    char program[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, sizeof program);
    std::string command = std::string("\"") + program +
                          "\" --gtest_also_run_disabled_tests"
                          " --gtest_filter=LogTwoProcessHelper.DISABLED_AppendAndTrim";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessA(program, command.data(), nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableA(kReadyVariable, nullptr);
    ::SetEnvironmentVariableA(kDoneVariable, nullptr);
    ASSERT_TRUE(started);
    const UniqueHandle thread(process.hThread);
    const UniqueHandle child(process.hProcess);

    const bool childReady = ::WaitForSingleObject(ready.get(), kWaitBoundMs) == WAIT_OBJECT_0;
    for (int i = 0; i < kParentLines; ++i) {
        globals->Log(LineText('P', i), false);
        if (i % kTrimEvery == 0) {
            globals->TrimLog();
        }
    }
    ::SetEvent(done.get());
    const DWORD waited = ::WaitForSingleObject(child.get(), kWaitBoundMs);
    if (waited != WAIT_OBJECT_0) {
        ::TerminateProcess(child.get(), 1);
        ::WaitForSingleObject(child.get(), 5000);
    }
    // A last line after every trim of the other writer.
    globals->Log(LineText('P', kParentLines), false);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(child.get(), &exitCode);
    ASSERT_TRUE(childReady);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    ASSERT_EQ(exitCode, 0u);

    const Writers writers = ParseLog(ReadFileBytes(LogFile("VEK.log")));
    EXPECT_TRUE(writers.broken.empty())
        << writers.broken.size()
        << " broken lines, first: " << (writers.broken.empty() ? "" : writers.broken[0]);
    ExpectTail(writers.parent, kParentLines + 1, "parent");
    ASSERT_GE(writers.childLast, kChildMinimumLines - 1);
    ExpectTail(writers.child, writers.childLast + 1, "child");
    EXPECT_EQ(writers.ending, 1);
}

} // namespace
} // namespace vek::testing
