#include "classlib/AdminOnlyFolder.h"

#include <aclapi.h>
#include <sddl.h>

namespace vek {
namespace {

// Owner: the administrators. Access list, protected from inheritance: SYSTEM and the
// administrators all access, users read and execute (list the folder, read its files); each entry
// passes to the files and subfolders.
constexpr char kAdminOnlyFolderSddl[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";

bool GiveSecurityToExisting(const std::string& path, PSECURITY_DESCRIPTOR security) {
    UniqueFile folder(::CreateFileA(
        path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    const DWORD kind = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if (!folder || !::GetFileInformationByHandle(folder.get(), &information) ||
        (information.dwFileAttributes & kind) != FILE_ATTRIBUTE_DIRECTORY) {
        return false;
    }
    PSID owner = nullptr;
    PACL access = nullptr;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    if (!::GetSecurityDescriptorOwner(security, &owner, &defaulted) ||
        !::GetSecurityDescriptorDacl(security, &present, &access, &defaulted)) {
        return false;
    }
    return ::SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                 PROTECTED_DACL_SECURITY_INFORMATION,
                             owner, nullptr, access, nullptr) == ERROR_SUCCESS;
}

} // namespace

UniqueLocalMemory<PSECURITY_DESCRIPTOR> AdminOnlyFolderSecurity() {
    PSECURITY_DESCRIPTOR security = nullptr;
    ::ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdminOnlyFolderSddl, SDDL_REVISION_1,
                                                           &security, nullptr);
    return UniqueLocalMemory<PSECURITY_DESCRIPTOR>(security);
}

bool MakeAdminOnlyFolder(const std::string& path) {
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> security = AdminOnlyFolderSecurity();
    if (!security) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, security.get(), FALSE};
    if (::CreateDirectoryA(path.c_str(), &attributes)) {
        return true;
    }
    return ::GetLastError() == ERROR_ALREADY_EXISTS && GiveSecurityToExisting(path, security.get());
}

} // namespace vek
