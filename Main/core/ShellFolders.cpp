#include "Main/core/ShellFolders.h"

#include "classlib/AdminOnlyFolder.h"
#include "classlib/SystemLibrary.h"

#include <shlobj.h>

namespace vek {
namespace {

using SHGetFolderPathAFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

constexpr char kVendorFolder[] = "Halvenor\\";
constexpr char kProductFolder[] = "VEK\\";

// Empty when the shell cannot give the common application-data folder.
std::string CommonVendorFolder() {
    const std::string common = ShellFolderPath(CSIDL_COMMON_APPDATA);
    return common == "\\" ? std::string() : common + kVendorFolder;
}

} // namespace

std::string ShellFolderPath(int folder) {
    char path[MAX_PATH] = {};
    const UniqueModule shfolder = LoadSystemLibrary("SHFolder.dll");
    const auto getFolderPath = reinterpret_cast<SHGetFolderPathAFn>(reinterpret_cast<void*>(
        shfolder ? ::GetProcAddress(shfolder.get(), "SHGetFolderPathA") : nullptr));
    if (getFolderPath != nullptr) {
        getFolderPath(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path);
    }
    return std::string(path) + "\\";
}

std::string ServiceLogFolder() { return CommonVendorFolder() + kProductFolder; }

bool MakeServiceLogFolder() {
    const std::string vendor = CommonVendorFolder();
    return !vendor.empty() && MakeAdminOnlyFolder(vendor) &&
           MakeAdminOnlyFolder(vendor + kProductFolder);
}

} // namespace vek
