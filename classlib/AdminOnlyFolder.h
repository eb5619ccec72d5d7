#pragma once
// A folder that only administrators and the system account may change and every user may read,
// for files that a process running as the system account writes.
#include "classlib/WinHandles.h"

#include <string>

namespace vek {

// The folder's security: owned by the administrators, with its own access list (nothing taken
// from the parent) that the folder's files and subfolders inherit: SYSTEM and the administrators
// full control, users read and list.
UniqueLocalMemory<PSECURITY_DESCRIPTOR> AdminOnlyFolderSecurity();

// Makes the folder with that security when it is missing. An existing one is given that
// security again, through a handle on the folder itself, so that a link planted in its place is
// neither followed nor used. Returns whether the folder is there with that security.
bool MakeAdminOnlyFolder(const std::string& path);

} // namespace vek
