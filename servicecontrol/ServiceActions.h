#pragma once
// The service's registration with the service control manager: install, uninstall and restart,
// carried out with the rights of the calling thread. The program runs them itself when it may
// (TVEKGlobals::ServiceControl); the elevated admin server runs the same code for it otherwise.
#include <windows.h>

#include <string>

namespace vek {

inline constexpr char kServiceName[] = "TarvoVEKService3";
inline constexpr char kServiceDisplayName[] = "Tarvo VEK Service";
inline constexpr char kServiceRegistryKey[] =
    "SYSTEM\\CurrentControlSet\\services\\TarvoVEKService3";
inline constexpr char kServiceDescription[] =
    "The Tarvo VEK Service operates a background service to monitor your IP and submit updates "
    "to your account when the graphical version of the update client is not actively running on "
    "your system.";
// The fixed wait between the steps of an action; it does not depend on the service's state.
inline constexpr DWORD kServiceActionWaitMs = 5000;

// "\"" + path + "\" -service": the path is quoted so that a folder name with a blank cannot be
// taken for a different program.
std::string ServiceCommandLine(const std::string& programPath);
// The full path of the running program file.
std::string RunningProgramPath();

// Carries out one action (ServiceAction) and returns 1 on success, 0 on failure; any other
// action returns 0 and touches nothing. Install first writes serviceUser as ServiceUser under
// the machine-wide settings key; when that write fails the registry error is raised and nothing
// is registered.
LONG RunServiceAction(LONG action, const std::string& commandLine, const std::string& serviceUser);

} // namespace vek
