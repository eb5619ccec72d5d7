#pragma once
// A log file that several processes may write at once: every append goes to the file's current
// end, and appends and trims are serialised across processes by a lock on the file itself.
#include "classlib/WinHandles.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vek {

class SharedLogFile {
public:
    // Creates the file empty when it does not exist. Returns whether it exists afterwards.
    static bool CreateIfMissing(const std::string& path);

    // Opens an existing file for reading and writing, shared for both. Returns whether it is open.
    bool Open(const std::string& path);
    bool IsOpen() const { return static_cast<bool>(file_); }

    // Appends the bytes at the end of the file in one write; a failed write is ignored.
    void Append(std::string_view bytes);
    // Keeps only the last `keep` bytes when the file holds `keep` bytes or more.
    void Trim(std::size_t keep);

private:
    UniqueFile file_;
};

} // namespace vek
