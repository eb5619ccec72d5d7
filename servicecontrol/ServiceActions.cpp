#include "servicecontrol/ServiceActions.h"

#include "classlib/Registry.h"
#include "classlib/Seams.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/AdminManager.h"
#include "servicecontrol/SettingsKey.h"

namespace vek {
namespace {

// The service opened with full access; the service's handle closes before the manager's. A
// failed open is not reported: it shows as the failure of the call made on the handle.
struct OpenedService {
    OpenedService()
        : manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)),
          service(::OpenServiceA(manager.get(), kServiceName, SERVICE_ALL_ACCESS)) {}
    UniqueService manager;
    UniqueService service;
};

void WriteServiceUser(const std::string& serviceUser) {
    TRegistry machine(HKEY_LOCAL_MACHINE);
    machine.OpenKey(kSettingsKey, true);
    machine.WriteString("ServiceUser", serviceUser);
}

void CreateTheService(const std::string& commandLine) {
    UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    UniqueService created(
        ::CreateServiceA(manager.get(), kServiceName, kServiceDisplayName, SERVICE_ALL_ACCESS,
                         SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_IGNORE,
                         commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
}

bool StartTheService() {
    OpenedService opened;
    return ::StartServiceA(opened.service.get(), 0, nullptr) != FALSE;
}

void StopTheService() {
    OpenedService opened;
    SERVICE_STATUS status;
    ::ControlService(opened.service.get(), SERVICE_CONTROL_STOP, &status);
}

void WriteDescription() {
    TRegistry services(HKEY_LOCAL_MACHINE);
    if (services.KeyExists(kServiceRegistryKey) && services.OpenKey(kServiceRegistryKey, false)) {
        services.WriteString("Description", kServiceDescription);
    }
}

LONG Install(const std::string& commandLine, const std::string& serviceUser) {
    WriteServiceUser(serviceUser);
    CreateTheService(commandLine);
    seams::Sleeper().Sleep(kServiceActionWaitMs);
    const bool started = StartTheService();
    WriteDescription();
    return started ? 1 : 0;
}

LONG Uninstall() {
    StopTheService();
    seams::Sleeper().Sleep(kServiceActionWaitMs);
    TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kSettingsKey);
    OpenedService opened;
    return ::DeleteService(opened.service.get()) ? 1 : 0;
}

LONG Restart() {
    StopTheService();
    seams::Sleeper().Sleep(kServiceActionWaitMs);
    return StartTheService() ? 1 : 0;
}

} // namespace

std::string ServiceCommandLine(const std::string& programPath) {
    return "\"" + programPath + "\" -service";
}

std::string RunningProgramPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

LONG RunServiceAction(LONG action, const std::string& commandLine, const std::string& serviceUser) {
    switch (action) {
    case ServiceInstall:
        return Install(commandLine, serviceUser);
    case ServiceUninstall:
        return Uninstall();
    case ServiceRestart:
        return Restart();
    default:
        return 0;
    }
}

} // namespace vek
