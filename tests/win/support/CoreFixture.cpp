#include "tests/win/support/CoreFixture.h"

#include "classlib/Locale.h"
#include "classlib/WinHandles.h"

#include <shlobj.h>

#include <atomic>

namespace vek::testing {

SettingsKeyGuard::SettingsKeyGuard()
    : hadVendorKey_(RawKeyExists(HKEY_CURRENT_USER, "Software\\Halvenor")) {
    DeleteRawTree(HKEY_CURRENT_USER, kSettingsPath);
}

SettingsKeyGuard::~SettingsKeyGuard() {
    DeleteRawTree(HKEY_CURRENT_USER, kSettingsPath);
    if (!hadVendorKey_) {
        DeleteRawTree(HKEY_CURRENT_USER, "Software\\Halvenor");
    }
}

DefaultLogFolderGuard::DefaultLogFolderGuard(int shellFolder)
    : folder_(LocalAppDataFolder(shellFolder) + "\\Halvenor"), saved_(folder_ + ".vek-test-saved") {
    if (DirectoryExists(folder_)) {
        RemoveTree(saved_);
        moved_ = ::MoveFileA(folder_.c_str(), saved_.c_str()) != FALSE;
    }
}

DefaultLogFolderGuard::~DefaultLogFolderGuard() {
    RemoveTree(folder_);
    if (moved_) {
        ::MoveFileA(saved_.c_str(), folder_.c_str());
    }
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "vek-core-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(counter++) + "\\";
    RemoveTree(path_);
    ::CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string LocalAppDataFolder(int shellFolder) {
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, shellFolder, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ReadFileBytes(const std::string& path) {
    const UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return {};
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    const UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ADD_FAILURE() << "cannot write " << path;
        return;
    }
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void RemoveTree(const std::string& path) {
    std::string folder = path;
    while (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    if (!DirectoryExists(folder)) {
        return;
    }
    WIN32_FIND_DATAA entry;
    const UniqueFind search(::FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (search) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(search.get(), &entry));
    }
    ::RemoveDirectoryA(folder.c_str());
}

std::string LogLineAtDefaultTime(const std::string& text) {
    const std::string date = LocaleDateSeparator();
    const std::string time = LocaleTimeSeparator();
    return "07" + date + "04" + date + "2026 14" + time + "05" + time + "09: " + text + "\r\n";
}

void CoreTest::SetUp() { SetRawString(HKEY_CURRENT_USER, kSettingsPath, "LogPath", folder.Path()); }

std::unique_ptr<TVEKGlobals> CoreTest::MakeGlobals(std::vector<std::string> arguments,
                                                   std::unique_ptr<IAdapterApi> adapters) {
    return std::make_unique<TVEKGlobals>(
        TVEKGlobalsOptions{std::move(arguments), std::move(adapters)});
}

namespace {

void DeleteServiceUserValue() {
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsPath.c_str(), 0, KEY_ALL_ACCESS, key.put()) ==
        ERROR_SUCCESS) {
        ::RegDeleteValueA(key.get(), "ServiceUser");
    }
}

} // namespace

ServiceUserGuard::ServiceUserGuard()
    : hadVendorKey_(RawKeyExists(HKEY_LOCAL_MACHINE, "Software\\Halvenor")),
      hadKey_(RawKeyExists(HKEY_LOCAL_MACHINE, kSettingsPath)),
      saved_(GetRawValue(HKEY_LOCAL_MACHINE, kSettingsPath, "ServiceUser")) {
    DeleteServiceUserValue();
}

ServiceUserGuard::~ServiceUserGuard() {
    DeleteServiceUserValue();
    if (saved_) {
        SetRawValue(HKEY_LOCAL_MACHINE, kSettingsPath, "ServiceUser", saved_->type, saved_->data);
    } else if (!hadKey_) {
        DeleteRawTree(HKEY_LOCAL_MACHINE, kSettingsPath);
    }
    if (!hadVendorKey_) {
        DeleteRawTree(HKEY_LOCAL_MACHINE, "Software\\Halvenor");
    }
}

} // namespace vek::testing
