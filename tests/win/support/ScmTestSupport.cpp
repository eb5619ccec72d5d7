#include "tests/win/support/ScmTestSupport.h"

#include "Main/core/VEKGlobals.h"
#include "classlib/FileSystem.h"
#include "classlib/Registry.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/ServiceActions.h"
#include "tests/win/support/PollUntil.h"

#include <gtest/gtest.h>

namespace vek::testing {
namespace {

constexpr DWORD kStateBoundMs = 20000;

UniqueService OpenManager() {
    return UniqueService(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

bool QueryStatus(SERVICE_STATUS_PROCESS& status) {
    UniqueService manager = OpenManager();
    UniqueService service(::OpenServiceA(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
    DWORD needed = 0;
    return service &&
           ::QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                                  reinterpret_cast<BYTE*>(&status), sizeof status, &needed);
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

} // namespace

std::string InstalledFolder() {
    static const std::string folder = [] {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        const std::string installed = std::string(temp) + "vek service test\\";
        ::CreateDirectoryA(installed.c_str(), nullptr);
        const std::string service = ProgramFolder() + "vek_test_service.exe";
        EXPECT_TRUE(::CopyFileA(service.c_str(), (installed + "TarvoVEK.exe").c_str(), FALSE))
            << service;
        const std::string server = ProgramFolder() + "AdminManager.dll";
        if (FileExists(server)) {
            EXPECT_TRUE(
                ::CopyFileA(server.c_str(), (installed + "AdminManager.dll").c_str(), FALSE))
                << server;
        }
        return installed;
    }();
    return folder;
}

std::string TestServicePath() { return InstalledFolder() + "TarvoVEK.exe"; }

DWORD ServiceState() {
    SERVICE_STATUS_PROCESS status{};
    return QueryStatus(status) ? status.dwCurrentState : 0;
}

DWORD ServiceProcessId() {
    SERVICE_STATUS_PROCESS status{};
    return QueryStatus(status) && status.dwCurrentState == SERVICE_RUNNING ? status.dwProcessId : 0;
}

bool WaitForServiceState(DWORD state) {
    return PollUntil([state] { return ServiceState() == state; }, kStateBoundMs);
}

bool WaitUntilServiceGone() {
    return PollUntil([] { return ServiceState() == 0; }, kStateBoundMs);
}

void RemoveTestService() {
    {
        UniqueService manager = OpenManager();
        UniqueService service(::OpenServiceA(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
        if (service) {
            SERVICE_STATUS status;
            ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
            PollUntil(
                [] {
                    return ServiceState() != SERVICE_RUNNING &&
                           ServiceState() != SERVICE_STOP_PENDING;
                },
                kStateBoundMs);
            ::DeleteService(service.get());
        }
    }
    EXPECT_TRUE(WaitUntilServiceGone()) << "the test service could not be removed";
    TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kSettingsKey);
}

bool MachineKeyExists() { return TRegistry(HKEY_LOCAL_MACHINE).KeyExists(kSettingsKey); }

std::string MachineValue(const std::string& name) {
    TRegistry machine(HKEY_LOCAL_MACHINE);
    return machine.OpenKey(kSettingsKey, false) ? machine.ReadString(name) : std::string();
}

void WriteMachineValue(const std::string& name, const std::string& value) {
    TRegistry machine(HKEY_LOCAL_MACHINE);
    machine.OpenKey(kSettingsKey, true);
    machine.WriteString(name, value);
}

void PollingSleeper::Sleep(DWORD milliseconds) {
    calls.push_back(milliseconds);
    PollUntil([] { return ServiceState() == SERVICE_STOPPED || ServiceState() == 0; },
              milliseconds);
    statesAfter.push_back(ServiceState());
}

} // namespace vek::testing
