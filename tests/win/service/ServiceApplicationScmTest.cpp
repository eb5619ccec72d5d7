// The service application under the real service control manager, with a probe module: the
// states it reports, the threads its events run on, the timers on the main loop, the end after a
// stop, and a refused start.
#include "classlib/WinHandles.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/PollUntil.h"

#include <gtest/gtest.h>

namespace vek::testing {
namespace {

constexpr char kProbeServiceName[] = "VekProbeService";

std::string ProbeProgramPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + "srv_probe_service.exe";
}

// True as soon as the condition holds, false after 20 s without it.
template <class Condition> bool WaitFor(Condition condition) { return PollUntil(condition, 20000); }

class ProbeService : public ::testing::Test {
protected:
    void SetUp() override {
        manager.reset(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(manager);
        Remove();
    }
    void TearDown() override { Remove(); }

    void Install(const std::string& extraArgument) {
        const std::string command =
            "\"" + ProbeProgramPath() + "\" \"" + Record() + "\"" + extraArgument;
        service.reset(::CreateServiceA(manager.get(), kProbeServiceName, kProbeServiceName,
                                       SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, command.c_str(),
                                       nullptr, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(service) << ::GetLastError();
    }

    SERVICE_STATUS Status() {
        SERVICE_STATUS status{};
        ::QueryServiceStatus(service.get(), &status);
        return status;
    }
    bool Recorded(const std::string& line) {
        return ReadFileBytes(Record()).find(line + "\n") != std::string::npos;
    }
    std::string Record() const { return folder.Path() + "probe.txt"; }

    void Remove() {
        UniqueService existing(
            ::OpenServiceA(manager.get(), kProbeServiceName, SERVICE_ALL_ACCESS));
        if (!existing) {
            return;
        }
        SERVICE_STATUS status{};
        ::ControlService(existing.get(), SERVICE_CONTROL_STOP, &status);
        WaitFor([&] {
            return !::QueryServiceStatus(existing.get(), &status) ||
                   status.dwCurrentState == SERVICE_STOPPED;
        });
        ::DeleteService(existing.get());
    }

    TempFolder folder;
    UniqueService manager;
    UniqueService service;
};

TEST_F(ProbeService, RunsEventsOnTheServiceThreadAndTimersOnTheMainLoopThenEnds) {
    Install("");
    ASSERT_TRUE(::StartServiceA(service.get(), 0, nullptr)) << ::GetLastError();
    ASSERT_TRUE(WaitFor([&] { return Status().dwCurrentState == SERVICE_RUNNING; }));
    const SERVICE_STATUS running = Status();
    EXPECT_EQ(running.dwControlsAccepted,
              static_cast<DWORD>(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN));
    EXPECT_EQ(running.dwCheckPoint, 0u);
    ASSERT_TRUE(WaitFor([&] { return Recorded("tick main"); }));

    SERVICE_STATUS stopping{};
    ASSERT_TRUE(::ControlService(service.get(), SERVICE_CONTROL_STOP, &stopping))
        << ::GetLastError();
    ASSERT_TRUE(WaitFor([&] { return Status().dwCurrentState == SERVICE_STOPPED; }));
    EXPECT_EQ(Status().dwWin32ExitCode, static_cast<DWORD>(NO_ERROR));
    ASSERT_TRUE(WaitFor([&] { return Recorded("destroyed"); }));

    EXPECT_EQ(ReadFileBytes(Record()), "start other state=2 checkpoint=1 hint=10000\n"
                                       "tick main\n"
                                       "stop other state=3 checkpoint=1 hint=10000 same-thread=1\n"
                                       "run returned 0\n"
                                       "destroyed\n");
}

TEST_F(ProbeService, ARefusedStartStopsWithTheServiceSpecificCode) {
    Install(" refuse");
    ASSERT_TRUE(::StartServiceA(service.get(), 0, nullptr)) << ::GetLastError();
    ASSERT_TRUE(WaitFor([&] { return Recorded("destroyed"); }));
    ASSERT_TRUE(WaitFor([&] { return Status().dwCurrentState == SERVICE_STOPPED; }));
    const SERVICE_STATUS stopped = Status();
    EXPECT_EQ(stopped.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
    EXPECT_EQ(stopped.dwServiceSpecificExitCode, 7u);
    EXPECT_TRUE(Recorded("run returned 1066"));
}

} // namespace
} // namespace vek::testing
