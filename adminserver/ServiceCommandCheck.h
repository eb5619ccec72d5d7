#pragma once
// The one service the admin server installs: the program "TarvoVEK.exe" from the server's own
// folder, run with " -service". The service runs as the system account, so a caller that could
// name another program, or add arguments, would run anything it likes with the system's rights.
#include <optional>
#include <string>

namespace vek::admin {

inline constexpr char kProgramFileName[] = "TarvoVEK.exe";

// The command line to install for the one the caller asked for: its program path (quoted or not)
// made full and quoted, followed by " -service". None when the program is not "TarvoVEK.exe" in
// serverFolder (compared as full long paths, in any letter case) or anything else follows it.
std::optional<std::string> OwnServiceCommandLine(const std::string& requested,
                                                 const std::string& serverFolder);

// The folder of the module that holds this code, ending in "\".
std::string ServerFolder();

} // namespace vek::admin
