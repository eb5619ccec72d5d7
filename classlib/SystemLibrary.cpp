#include "classlib/SystemLibrary.h"

namespace seams {
namespace {

std::string FolderFrom(UINT(WINAPI* query)(LPSTR, UINT)) {
    char path[MAX_PATH] = {};
    const UINT length = query(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

class RealSystemFiles final : public ISystemFiles {
public:
    std::string SystemFolder() override { return FolderFrom(&::GetSystemDirectoryA); }
    // The system's own Windows folder, also for a user whose session has one of its own.
    std::string WindowsFolder() override { return FolderFrom(&::GetSystemWindowsDirectoryA); }
    HMODULE LoadLibraryA(const std::string& fullPath) override {
        return ::LoadLibraryA(fullPath.c_str());
    }
};

} // namespace

VEK_DEFAULT_SEAM(ISystemFiles, RealSystemFiles)

} // namespace seams

namespace vek {
namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32, which older headers do not name.
constexpr DWORD kSearchSystemFolderOnly = 0x00000800;
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

} // namespace

void RestrictDllSearch() {
    // Found at run time: systems before Windows 8 without its update do not have it.
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        kernel != nullptr ? ::GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr));
    if (setDefault != nullptr && setDefault(kSearchSystemFolderOnly)) {
        return;
    }
    ::SetDllDirectoryA("");
}

UniqueModule LoadSystemLibrary(const char* name) {
    const std::string folder = seams::SystemFiles().SystemFolder();
    if (folder.empty()) {
        return UniqueModule();
    }
    return UniqueModule(seams::SystemFiles().LoadLibraryA(folder + "\\" + name));
}

std::string WindowsProgramPath(const char* name) {
    return seams::SystemFiles().WindowsFolder() + "\\" + name;
}

} // namespace vek
