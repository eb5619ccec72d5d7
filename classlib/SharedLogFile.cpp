#include "classlib/SharedLogFile.h"

#include "classlib/FileSystem.h"

#include <vector>

namespace vek {
namespace {

// An exclusive byte-range lock far past any log data serves as a mutex between the processes
// that have the file open. It is released when this object ends or the process dies.
class FileLock {
public:
    explicit FileLock(HANDLE file) : file_(file) {
        overlapped_.Offset = 0xFFFFFFF0u;
        overlapped_.OffsetHigh = 0x7FFFFFFFu;
        locked_ = ::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &overlapped_) != FALSE;
    }
    ~FileLock() {
        if (locked_) {
            ::UnlockFileEx(file_, 0, 1, 0, &overlapped_);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    HANDLE file_;
    OVERLAPPED overlapped_{};
    bool locked_;
};

} // namespace

bool SharedLogFile::CreateIfMissing(const std::string& path) {
    if (FileExists(path)) {
        return true;
    }
    // CREATE_NEW rather than CREATE_ALWAYS: a file another process made meanwhile is kept.
    UniqueFile created(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(created) || FileExists(path);
}

bool SharedLogFile::Open(const std::string& path) {
    file_.reset(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    return IsOpen();
}

void SharedLogFile::Append(std::string_view bytes) {
    if (!file_) {
        return;
    }
    FileLock lock(file_.get());
    LARGE_INTEGER end{};
    if (!::SetFilePointerEx(file_.get(), end, nullptr, FILE_END)) {
        return;
    }
    DWORD written = 0;
    ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void SharedLogFile::Trim(std::size_t keep) {
    if (!file_) {
        return;
    }
    FileLock lock(file_.get());
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file_.get(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) < keep) {
        return;
    }
    std::vector<char> tail(keep);
    LARGE_INTEGER start{};
    start.QuadPart = size.QuadPart - static_cast<LONGLONG>(keep);
    DWORD read = 0;
    if (!::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) ||
        !::ReadFile(file_.get(), tail.data(), static_cast<DWORD>(keep), &read, nullptr) ||
        read != keep) {
        return;
    }
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file_.get(), zero, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(file_.get())) {
        return;
    }
    DWORD written = 0;
    ::WriteFile(file_.get(), tail.data(), read, &written, nullptr);
}

} // namespace vek
