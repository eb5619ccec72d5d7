#pragma once
// The system's run-time libraries and programs, taken from the system's own folders by full path:
// a file of the same name beside the program, or in the current folder, is never picked up.
#include "classlib/Seams.h"

#include <string>

namespace seams {

// Where the system's files lie, and the loading of a library by its full path.
class ISystemFiles {
public:
    virtual ~ISystemFiles() = default;
    // The system folder (system32) and the Windows folder, without a trailing "\".
    virtual std::string SystemFolder() = 0;
    virtual std::string WindowsFolder() = 0;
    virtual HMODULE LoadLibraryA(const std::string& fullPath) = 0;
};

inline ISystemFiles& SystemFiles() { return Seam<ISystemFiles>::Get(); }
template <> ISystemFiles*& Seam<ISystemFiles>::Current();

} // namespace seams

namespace vek {

// Restricts where the process looks for the libraries it loads by name to the system folder,
// where the system offers that; otherwise takes the current folder out of the search.
void RestrictDllSearch();

// Loads a library of the system, such as "iphlpapi.dll", from the system folder by full path.
UniqueModule LoadSystemLibrary(const char* name);

// The full path of a program in the Windows folder, such as "notepad.exe".
std::string WindowsProgramPath(const char* name);

} // namespace vek
