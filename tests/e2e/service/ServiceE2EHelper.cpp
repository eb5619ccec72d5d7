// The Windows side of the service's end-to-end test, one command per run:
//   store <cid> <ckey> <update list> <log folder>  names the current user as the service's
//       user and stores the settings through the core in the service's own role, so they land
//       where the service reads them (HKEY_USERS\<ServiceUser>); prints whether that key is the
//       user's HKEY_CURRENT_USER key too
//   install <program> | restart <program>  through the elevated admin server, with the program's
//       quoted path and " -service" as the service's command line
//   wait-state <state> <ms>   waits until the service's state is <state> (0: no service)
//   machine-key               prints whether HKLM\Software\Halvenor\VEK\v3 exists
//   user-client               prints the client id and key of the user's own settings key
//   service-log               prints the service's log
//   remove                    stops and deletes the service and deletes the machine-wide key
// Exit status 0 when the command did what it names, 1 otherwise, 2 for a usage error.
#include "Main/core/ShellFolders.h"
#include "Main/core/VEKGlobals.h"
#include "classlib/Registry.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/AdminManager.h"
#include "servicecontrol/SPGetSid.h"
#include "servicecontrol/ServiceActions.h"
#include "tests/win/support/PollUntil.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace vek;

constexpr DWORD kPollMs = 100;

std::string WindowsPath(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

DWORD ServiceState() {
    UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    UniqueService service(::OpenServiceA(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
    SERVICE_STATUS status{};
    return service && ::QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

bool WaitForState(DWORD state, DWORD boundMs) {
    return vek::testing::PollUntil([state] { return ServiceState() == state; }, boundMs, kPollMs);
}

// The values go in through the core in the service's role, so that they are stored in the forms
// the core reads (the client key record is encoded); its own log lines are removed after.
int Store(const std::vector<std::string>& args) {
    const std::string sid = GetCurrentUserSid();
    TRegistry machine(HKEY_LOCAL_MACHINE);
    machine.OpenKey(kSettingsKey, true);
    machine.WriteString("ServiceUser", sid);
    TRegistry users(HKEY_USERS);
    if (sid.empty() || !users.OpenKey(sid + "\\" + kSettingsKey, true)) {
        return 1;
    }
    users.WriteString("LogPath", WindowsPath(args[3]));
    {
        TVEKGlobals service(TVEKGlobalsOptions{{"-service"}, nullptr});
        service.SetCID(args[0]);
        service.SetCKey(args[1]);
        service.SetUpdateList(args[2]);
        service.SetAlternateIP(false);
    }
    ::DeleteFileA((ServiceLogFolder() + kServiceLogFileName).c_str());
    TVEKGlobals user(TVEKGlobalsOptions{{"-e2e"}, nullptr});
    std::printf("the service's key is HKEY_CURRENT_USER's: %s\n",
                user.GetCID() == args[0] && user.GetCKey() == args[1] ? "yes" : "no");
    return 0;
}

int Control(LONG action, const std::string& program) {
    ComInit com;
    TVEKGlobals globals(TVEKGlobalsOptions{{"-e2e"}, nullptr});
    return globals.ElevatedServiceControl(action, ServiceCommandLine(WindowsPath(program))) ? 0 : 1;
}

int Remove() {
    {
        UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        UniqueService service(::OpenServiceA(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
        if (service) {
            SERVICE_STATUS status;
            ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
            WaitForState(SERVICE_STOPPED, 20000);
            ::DeleteService(service.get());
        }
    }
    TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kSettingsKey);
    return WaitForState(0, 20000) ? 0 : 1;
}

// The client id and key as the user's desktop client reads them.
int UserClient() {
    TVEKGlobals user(TVEKGlobalsOptions{{"-e2e"}, nullptr});
    std::printf("%s %s\n", user.GetCID().c_str(), user.GetCKey().c_str());
    return 0;
}

int PrintServiceLog() {
    UniqueFile log(::CreateFileA((ServiceLogFolder() + kServiceLogFileName).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    char buffer[4096];
    DWORD read = 0;
    while (log && ::ReadFile(log.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        std::fwrite(buffer, 1, read, stdout);
    }
    return log ? 0 : 1;
}

int Run(const std::vector<std::string>& args) {
    const std::string command = args.empty() ? "" : args[0];
    const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
    if (command == "store" && rest.size() == 4) {
        return Store(rest);
    }
    if (command == "install" && rest.size() == 1) {
        return Control(ServiceInstall, rest[0]);
    }
    if (command == "restart" && rest.size() == 1) {
        return Control(ServiceRestart, rest[0]);
    }
    if (command == "wait-state" && rest.size() == 2) {
        return WaitForState(std::stoul(rest[0]), std::stoul(rest[1])) ? 0 : 1;
    }
    if (command == "machine-key" && rest.empty()) {
        const bool exists = TRegistry(HKEY_LOCAL_MACHINE).KeyExists(kSettingsKey);
        std::printf("%s\n", exists ? "present" : "absent");
        return 0;
    }
    if (command == "user-client" && rest.empty()) {
        return UserClient();
    }
    if (command == "service-log" && rest.empty()) {
        return PrintServiceLog();
    }
    if (command == "remove" && rest.empty()) {
        return Remove();
    }
    std::fprintf(stderr, "usage: see the head of ServiceE2EHelper.cpp\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Lines end in LF alone, as the Linux script that reads them expects.
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
        return 1;
    }
}
