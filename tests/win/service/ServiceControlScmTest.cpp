// ServiceControl against the real service control manager of the test prefix, with the test
// service in place of the program.
#include <gtest/gtest.h>

#include "Main/core/VEKGlobals.h"
#include "classlib/ClassLibError.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/AdminManager.h"
#include "servicecontrol/SPGetSid.h"
#include "servicecontrol/ServiceActions.h"
#include "tests/win/support/ScmTestSupport.h"

namespace vek::testing {
namespace {

class ServiceControlScmTest : public ::testing::Test {
protected:
    ServiceControlScmTest() { RemoveTestService(); }
    ~ServiceControlScmTest() override { RemoveTestService(); }

    void Install() {
        ASSERT_EQ(globals.ServiceControl(ServiceInstall, commandLine), 1);
        ASSERT_TRUE(WaitForServiceState(SERVICE_RUNNING));
        sleeper.calls.clear();
        sleeper.statesAfter.clear();
    }

    TVEKGlobals globals{TVEKGlobalsOptions{{"-tests"}, nullptr}};
    PollingSleeper sleeper;
    const std::string commandLine = ServiceCommandLine(TestServicePath());
};

struct ServiceConfig {
    std::string binaryPath;
    std::string displayName;
    std::string account;
    DWORD type = 0;
    DWORD start = 0;
    DWORD errorControl = 0;
};

ServiceConfig QueryConfig() {
    UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    UniqueService service(::OpenServiceA(manager.get(), kServiceName, SERVICE_QUERY_CONFIG));
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!::QueryServiceConfigA(service.get(), config, buffer.size(), &needed)) {
        ADD_FAILURE() << "QueryServiceConfigA failed: " << ::GetLastError();
        return {};
    }
    return {config->lpBinaryPathName,
            config->lpDisplayName,
            config->lpServiceStartName ? config->lpServiceStartName : "",
            config->dwServiceType,
            config->dwStartType,
            config->dwErrorControl};
}

std::string ServiceDescription() {
    TRegistry services(HKEY_LOCAL_MACHINE);
    return services.OpenKey(kServiceRegistryKey, false) ? services.ReadString("Description")
                                                        : std::string();
}

TEST_F(ServiceControlScmTest, InstallRegistersTheServiceAndStartsIt) {
    EXPECT_EQ(commandLine, "\"" + TestServicePath() + "\" -service");
    EXPECT_NE(commandLine.find("vek service test"), std::string::npos);

    EXPECT_EQ(globals.ServiceControl(ServiceInstall, commandLine), 1);
    EXPECT_EQ(sleeper.calls, std::vector<DWORD>{5000});
    // The test service runs only when started with exactly "-service": the quoted path reached
    // the program whole.
    EXPECT_TRUE(WaitForServiceState(SERVICE_RUNNING));
    EXPECT_TRUE(globals.IsServiceInstalled());

    const ServiceConfig config = QueryConfig();
    EXPECT_EQ(config.binaryPath, commandLine);
    EXPECT_EQ(config.displayName, "Tarvo VEK Service");
    EXPECT_EQ(config.type, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(config.start, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(config.errorControl, static_cast<DWORD>(SERVICE_ERROR_IGNORE));
    EXPECT_EQ(config.account, "LocalSystem");
    EXPECT_EQ(ServiceDescription(), kServiceDescription);
    EXPECT_EQ(MachineValue("ServiceUser"), GetCurrentUserSid());
    EXPECT_FALSE(MachineValue("ServiceUser").empty());
}

TEST_F(ServiceControlScmTest, RestartStopsAndStartsTheService) {
    ASSERT_NO_FATAL_FAILURE(Install());
    const DWORD before = ServiceProcessId();
    ASSERT_NE(before, 0u);

    EXPECT_EQ(globals.ServiceControl(ServiceRestart, commandLine), 1);
    EXPECT_EQ(sleeper.calls, std::vector<DWORD>{5000});
    EXPECT_EQ(sleeper.statesAfter, std::vector<DWORD>{SERVICE_STOPPED});
    EXPECT_TRUE(WaitForServiceState(SERVICE_RUNNING));
    EXPECT_NE(ServiceProcessId(), before);
}

TEST_F(ServiceControlScmTest, RestartStartsAStoppedService) {
    ASSERT_NO_FATAL_FAILURE(Install());
    {
        UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        UniqueService service(::OpenServiceA(manager.get(), kServiceName, SERVICE_STOP));
        SERVICE_STATUS status;
        ASSERT_TRUE(::ControlService(service.get(), SERVICE_CONTROL_STOP, &status));
    }
    ASSERT_TRUE(WaitForServiceState(SERVICE_STOPPED));

    EXPECT_EQ(globals.ServiceControl(ServiceRestart, commandLine), 1);
    EXPECT_TRUE(WaitForServiceState(SERVICE_RUNNING));
}

TEST_F(ServiceControlScmTest, UninstallStopsAndRemovesTheServiceAndTheMachineKey) {
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_TRUE(MachineKeyExists());

    EXPECT_EQ(globals.ServiceControl(ServiceUninstall, commandLine), 1);
    EXPECT_EQ(sleeper.calls, std::vector<DWORD>{5000});
    EXPECT_EQ(sleeper.statesAfter, std::vector<DWORD>{SERVICE_STOPPED});
    EXPECT_FALSE(MachineKeyExists());
    EXPECT_TRUE(WaitUntilServiceGone());
    EXPECT_FALSE(globals.IsServiceInstalled());
}

TEST_F(ServiceControlScmTest, UninstallDeletesTheMachineKeyEvenWhenNoServiceIsThere) {
    WriteMachineValue("ServiceUser", "S-1-5-21-1-2-3-1000");
    EXPECT_EQ(globals.ServiceControl(ServiceUninstall, commandLine), 0);
    EXPECT_FALSE(MachineKeyExists());
}

TEST_F(ServiceControlScmTest, AnyOtherActionFailsAndTouchesNothing) {
    ASSERT_NO_FATAL_FAILURE(Install());
    const DWORD process = ServiceProcessId();
    for (LONG action : {0L, 4L, -1L}) {
        EXPECT_EQ(globals.ServiceControl(action, "\"C:\\elsewhere.exe\" -service"), 0);
    }
    EXPECT_TRUE(sleeper.calls.empty());
    EXPECT_EQ(ServiceProcessId(), process);
    EXPECT_EQ(QueryConfig().binaryPath, commandLine);
    EXPECT_TRUE(MachineKeyExists());
}

// A machine-wide key that cannot be created: below a volatile key only volatile keys may be
// made, and the settings key is not volatile.
class VolatileParentKey {
public:
    VolatileParentKey() {
        TRegistry(HKEY_LOCAL_MACHINE).DeleteKey("Software\\Halvenor\\VEK");
        created_ = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Halvenor\\VEK", 0, nullptr,
                                     REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, key_.put(),
                                     nullptr) == ERROR_SUCCESS;
    }
    ~VolatileParentKey() {
        key_.reset();
        TRegistry(HKEY_LOCAL_MACHINE).DeleteKey("Software\\Halvenor\\VEK");
    }
    bool Created() const { return created_; }

private:
    UniqueKey key_;
    bool created_ = false;
};

TEST_F(ServiceControlScmTest, AFailedServiceUserWriteRaisesBeforeAnythingIsRegistered) {
    VolatileParentKey unwritable;
    ASSERT_TRUE(unwritable.Created());
    ASSERT_FALSE(MachineKeyExists());
    try {
        globals.ServiceControl(ServiceInstall, commandLine);
        ADD_FAILURE() << "no error raised";
    } catch (const ERegistryException& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'ServiceUser'");
    }
    EXPECT_TRUE(sleeper.calls.empty());
    EXPECT_FALSE(globals.IsServiceInstalled());
}

} // namespace
} // namespace vek::testing
