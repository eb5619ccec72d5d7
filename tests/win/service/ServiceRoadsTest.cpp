// Which road the service front ends take: in the process up to major version 5, through the
// admin server from 6 on (created directly when elevated, through the elevation moniker when
// not), and false for every failure of the elevated road.
#include <gtest/gtest.h>

#include "Main/core/ElevationUtils.h"
#include "Main/core/VEKGlobals.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/ServiceActions.h"
#include "tests/win/support/FakeMainWindow.h"
#include "tests/win/support/ScmTestSupport.h"
#include "tests/win/support/ScopedGlobals.h"
#include "tests/win/support/ServiceFakes.h"

#include <cstring>

namespace vek::testing {
namespace {

using FrontEnd = bool (TVEKGlobals::*)();

struct Road {
    FrontEnd frontEnd;
    LONG action;
};
const Road kRoads[] = {{&TVEKGlobals::InstallService, ServiceInstall},
                       {&TVEKGlobals::UninstallService, ServiceUninstall},
                       {&TVEKGlobals::RestartService, ServiceRestart}};

class ServiceRoadsTest : public ::testing::Test {
protected:
    ServiceRoadsTest() {
        RemoveTestService();
        // A marker that only an uninstall deletes.
        WriteMachineValue("ServiceUser", "S-1-5-21-9-9-9-1000");
    }
    ~ServiceRoadsTest() override { RemoveTestService(); }

    TVEKGlobals globals{TVEKGlobalsOptions{{"-tests"}, nullptr}};
    RecordingSleeper sleeper;
};

// The platform's elevation and COM scripted.
class ScriptedRoadsTest : public ServiceRoadsTest {
protected:
    std::string ProgramCommandLine() { return ServiceCommandLine(RunningProgramPath()); }

    FakeToken token{MakeSid(SECURITY_NT_AUTHORITY, {21, 9, 9, 9, 1000})};
    FakeCom com;
};

TEST_F(ScriptedRoadsTest, MajorVersionFiveActsInTheProcess) {
    FakeVersion version(5, 1);
    // Without a service both fail at their last step, after their fixed wait.
    EXPECT_FALSE(globals.RestartService());
    EXPECT_TRUE(MachineKeyExists());
    EXPECT_FALSE(globals.UninstallService());
    EXPECT_FALSE(MachineKeyExists());
    EXPECT_EQ(sleeper.calls, (std::vector<DWORD>{5000, 5000}));
    EXPECT_EQ(com.createCalls + com.getObjectCalls, 0);
}

TEST_F(ScriptedRoadsTest, MajorVersionSixAndLaterAskTheAdminServer) {
    for (DWORD major : {6u, 10u}) {
        FakeVersion version(major, 1);
        for (const Road& road : kRoads) {
            com.admin.calls.clear();
            EXPECT_TRUE((globals.*road.frontEnd)());
            EXPECT_EQ(com.admin.calls, std::vector<std::string>{std::to_string(road.action) + " " +
                                                                ProgramCommandLine()});
        }
    }
    EXPECT_EQ(com.createCalls, 6);
    EXPECT_EQ(com.context, kElevatedClassContext);
    EXPECT_EQ(com.admin.references, 0) << "the object is released";
    EXPECT_TRUE(sleeper.calls.empty());
    EXPECT_TRUE(MachineKeyExists());
}

TEST_F(ScriptedRoadsTest, NotElevatedTheMonikerPromptIsOwnedByTheMainWindow) {
    token.elevated = false;
    FakeMainWindow window;
    for (HWND owner : {HWND(nullptr), window.handle}) {
        const ScopedMainWindow installed(globals, owner != nullptr ? &window : nullptr);
        EXPECT_TRUE(globals.ElevatedServiceControl(ServiceRestart, "cmd"));
        HWND bound = nullptr;
        ASSERT_EQ(com.bindOptions.size(), FakeCom::kBindOptionsSize);
        std::memcpy(&bound, &com.bindOptions[FakeCom::kBindOptionsOwnerAt], sizeof bound);
        EXPECT_EQ(bound, owner);
    }
    EXPECT_EQ(com.getObjectCalls, 2);
    EXPECT_EQ(com.createCalls, 0);
}

TEST_F(ScriptedRoadsTest, EveryFailureOfTheElevatedRoadIsFalse) {
    struct Case {
        bool elevated;
        HRESULT creation;
        LONG result;
    };
    const Case cases[] = {
        {false, HRESULT_FROM_WIN32(ERROR_CANCELLED), 1}, // the prompt refused
        {true, REGDB_E_CLASSNOTREG, 1},                  // no server registered
        {true, S_OK, 0},
        {false, S_OK, 2},
    };
    for (const Case& c : cases) {
        token.elevated = c.elevated;
        com.failure = c.creation;
        com.admin.result = c.result;
        EXPECT_FALSE(globals.ElevatedServiceControl(ServiceInstall, "cmd"));
        EXPECT_EQ(com.admin.references, 0);
    }
}

// The registered admin server, created for real in this process when it is elevated (as every
// process under Wine is): the server's own uninstall deletes the machine-wide key and, without
// a service, fails.
TEST_F(ServiceRoadsTest, ElevatedTheRegisteredServerIsCreatedInTheProcess) {
    if (!IsElevated()) {
        GTEST_SKIP() << "the elevation prompt would open";
    }
    ComInit com;
    FakeVersion version(6, 1);
    EXPECT_FALSE(globals.UninstallService());
    EXPECT_FALSE(MachineKeyExists());
    EXPECT_TRUE(sleeper.calls.empty()) << "the server waits with its own sleep";
}

} // namespace
} // namespace vek::testing
