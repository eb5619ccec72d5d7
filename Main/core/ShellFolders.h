#pragma once
// The shell's folders that the core keeps files in.
#include <string>

namespace vek {

// The shell's current path of a folder (a CSIDL value) + "\"; the shell's result is not tested,
// so a folder the shell cannot give is "\".
std::string ShellFolderPath(int folder);

// The folder of the service's log: "Halvenor\VEK\" under the common application-data folder,
// which only administrators and the system account can write.
std::string ServiceLogFolder();
// Makes that folder, each level with its access list, or gives an existing one that list again.
// Returns whether it is ready for the service's log.
bool MakeServiceLogFolder();

} // namespace vek
