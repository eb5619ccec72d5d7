#pragma once
// The admin server's entries under HKEY_CLASSES_ROOT.
#include <windows.h>

namespace vek::admin {

// Registers the class as an in-process server and, for the elevation moniker of Windows 6 and
// later, as an elevatable class run in the system's surrogate process. Raises a registry error
// when a key or value cannot be written.
void RegisterServer(HMODULE module);
// Removes what RegisterServer wrote; a missing entry is not an error.
void UnregisterServer();

} // namespace vek::admin
