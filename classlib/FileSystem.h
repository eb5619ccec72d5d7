#pragma once
// The class library's file test.
#include <windows.h>

#include <string>

namespace vek {

// Whether a file (not a folder) of that name exists.
inline bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace vek
