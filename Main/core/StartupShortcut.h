#pragma once
// The "run on startup" preference: a shell link to the program, "Tarvo VEK.lnk" in the user's
// Startup folder. The calling thread has COM initialised.
#include <windows.h>

#include <string>

namespace vek {

// The Startup folder + "\Tarvo VEK.lnk"; empty when the Startup folder is unknown.
std::string StartupShortcutPath();

// Writes a shell link to target as linkFile (".lnk" appended when it does not end so), with the
// description, and with the arguments and the icon when given. Returns the result of the last
// step that ran: a failed creation, a missing IPersistFile, or the save.
HRESULT CreateShortcut(const std::string& target, std::string linkFile,
                       const std::string& description, const std::string& arguments,
                       const std::string& iconFile, int iconIndex);

// Writes the startup shortcut to the running program (again), or deletes it. Nothing happens
// when the Startup folder is unknown; failures are not reported.
void SetRunOnStartup(bool enable);

} // namespace vek
