// The Windows service's installation and control as the desktop client offers it: in the
// process on systems without elevation, through the elevated admin server from Windows 6 on.
#include "Main/core/VEKGlobals.h"

#include "Main/core/ElevationUtils.h"
#include "classlib/Seams.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/AdminManager.h"
#include "servicecontrol/SPGetSid.h"
#include "servicecontrol/ServiceActions.h"

namespace vek {
namespace {

// From this major version on, the service's registration needs administrator rights that the
// desktop client does not hold.
constexpr DWORD kFirstElevatingMajorVersion = 6;

OSVERSIONINFOA QueryVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    seams::Version().GetVersionExA(&info);
    return info;
}

bool RunFrontEnd(TVEKGlobals& globals, LONG action) {
    const std::string commandLine = ServiceCommandLine(RunningProgramPath());
    if (QueryVersion().dwMajorVersion < kFirstElevatingMajorVersion) {
        return globals.ServiceControl(action, commandLine) == 1;
    }
    return globals.ElevatedServiceControl(action, commandLine);
}

} // namespace

bool TVEKGlobals::IsServiceInstalled() {
    UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    UniqueService service(::OpenServiceA(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
    return static_cast<bool>(service);
}

bool TVEKGlobals::IsWinNT() { return QueryVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

bool TVEKGlobals::InstallService() { return RunFrontEnd(*this, ServiceInstall); }

bool TVEKGlobals::UninstallService() { return RunFrontEnd(*this, ServiceUninstall); }

bool TVEKGlobals::RestartService() { return RunFrontEnd(*this, ServiceRestart); }

LONG TVEKGlobals::ServiceControl(LONG action, const std::string& commandLine) {
    return RunServiceAction(action, commandLine, GetCurrentUserSid());
}

bool TVEKGlobals::ElevatedServiceControl(LONG action, const std::string& commandLine) {
    const HWND owner = MainWindow != nullptr ? MainWindow->Handle() : nullptr;
    try {
        ComPtr<IServiceAdmin> admin;
        CreateElevatedComObject(owner, CLSID_ServiceAdmin, IID_IServiceAdmin, admin.put());
        return admin && admin->ManageService(action, commandLine.c_str()) == 1;
    } catch (const std::exception&) {
        // A refused elevation prompt or a missing server: the caller offers to try again.
        return false;
    }
}

} // namespace vek
