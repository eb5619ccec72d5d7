// The role the program takes by its first argument, run as a real process: which window it
// opens, which logs it writes, and that the service road outside the service control manager
// ends within a bound without a check or a request.
#include "Main/core/ShellFolders.h"
#include "tests/win/roads/ProgramRun.h"
#include "tests/win/roads/RoadsFixture.h"
#include "tests/win/support/LoopbackRecorder.h"

namespace vek::testing {
namespace {

constexpr DWORD kWindowBoundMs = 30000;
constexpr DWORD kDesktopEndBoundMs = 20000;
constexpr DWORD kShortRoadBoundMs = 30000;
// Under Wine the dispatcher takes about 10 s to fail outside the manager.
constexpr DWORD kServiceRoadBoundMs = 45000;
constexpr DWORD kNotStartedByTheManager = ERROR_FAILED_SERVICE_CONTROLLER_CONNECT;

const std::vector<std::string> kStartAndEnd = {"***Logging started.***", "***Logging ending.***"};

using RoleChoiceTest = RoadsTest;

// The service reads the key under HKEY_USERS named by the user's SID; it is the very key the
// user's own programs open as HKEY_CURRENT_USER.
TEST_F(RoleChoiceTest, TheServiceUsersKeyIsTheUsersOwnKey) {
    ASSERT_FALSE(sid.empty());
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "CID", "one store");
    const auto seen = GetRawValue(HKEY_USERS, sid + "\\" + kSettingsPath, "CID");
    ASSERT_TRUE(seen.has_value());
    EXPECT_STREQ(seen->data.c_str(), "one store");
}

// Every first argument but "-service" and "-unregister", compared exactly, is the desktop
// client; only the one without any argument logs.
TEST_F(RoleChoiceTest, DesktopRoads) {
    struct Case {
        const char* arguments;
        bool logs;
    };
    const Case cases[] = {
        {"", true},
        {"-Service", false},
        {"/service", false},
        {"\"-service \"", false},
        {"\"-service x\"", false},
        {"-unregisterx -service", false},
    };
    // A stored client id keeps the desktop client from its first-run dialog.
    StoreClient("00000000000000000001", "00000000000000000000000000000001");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("arguments: ") + c.arguments);
        TempFolder logs;
        SetRawString(HKEY_CURRENT_USER, kSettingsPath, "LogPath", logs.Path());
        ProgramRun run(c.arguments);
        const HWND window = WaitForClientWindow(kWindowBoundMs);
        ASSERT_NE(window, nullptr) << "no desktop client window";
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        EXPECT_EQ(owner, run.ProcessId());
        EndDesktopClient(window);
        EXPECT_EQ(run.WaitForExit(kDesktopEndBoundMs), std::optional<DWORD>(0));

        if (c.logs) {
            EXPECT_EQ(FileNames(logs.Path()), std::vector<std::string>{"VEK.log"});
            EXPECT_EQ(LogTexts(logs.Path() + "VEK.log"), kStartAndEnd);
        } else {
            EXPECT_TRUE(FileNames(logs.Path()).empty());
        }
    }
}

// "-unregister" with nothing stored and no service: no window, no log, a quick end.
TEST_F(RoleChoiceTest, UnregisterRoadOpensNothing) {
    ProgramRun run("-unregister");
    EXPECT_EQ(run.WaitForExit(kShortRoadBoundMs), std::optional<DWORD>(0));
    EXPECT_EQ(CountClientWindows(), 0);
    EXPECT_TRUE(FileNames(folder.Path()).empty());
}

// Started by hand rather than by the service control manager, the service road writes its
// start and end lines to Service.log in the machine's folder, not in LogPath, and ends, without the
// check its settings would start: nothing reaches the provider's endpoints. Further arguments are
// not examined.
TEST_F(RoleChoiceTest, ServiceRoadOutsideTheManagerEndsWithoutAnyRequest) {
    StoreClient("00000000000000000002", "00000000000000000000000000000002");
    NameServiceUser();
    LoopbackRecorder recorder;
    ASSERT_TRUE(recorder.Listening()) << "endpoints held: " << recorder.Failures();
    for (const char* arguments : {"-service", "-service x"}) {
        SCOPED_TRACE(arguments);
        TempFolder logs;
        SetRawString(HKEY_CURRENT_USER, kSettingsPath, "LogPath", logs.Path());
        ProgramRun run(arguments);
        EXPECT_EQ(run.WaitForExit(kServiceRoadBoundMs),
                  std::optional<DWORD>(kNotStartedByTheManager));
        EXPECT_TRUE(FileNames(logs.Path()).empty());
        EXPECT_EQ(LogTexts(ServiceLogFolder() + "Service.log"), kStartAndEnd);
        ::DeleteFileA((ServiceLogFolder() + "Service.log").c_str());
    }
    EXPECT_EQ(CountClientWindows(), 0);
    EXPECT_TRUE(recorder.Arrivals().empty()) << recorder.Arrivals().front().endpoint;
}

} // namespace
} // namespace vek::testing
