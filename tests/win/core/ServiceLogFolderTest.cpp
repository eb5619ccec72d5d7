// The service's log folder below the common application-data folder: made with an access list
// that lets only administrators and SYSTEM change it and users read it. Wine keeps no access
// list on its files, so the list is read back from the security the folder is made with.
#include "Main/core/ShellFolders.h"
#include "classlib/AdminOnlyFolder.h"
#include "tests/win/support/CoreFixture.h"

#include <aclapi.h>

namespace vek::testing {
namespace {

struct Entry {
    WELL_KNOWN_SID_TYPE who;
    ACCESS_MASK access;
};

TEST(ServiceLogFolder, TheAccessListReadsBackAsMade) {
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> security = AdminOnlyFolderSecurity();
    ASSERT_TRUE(security);
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(::GetSecurityDescriptorOwner(security.get(), &owner, &defaulted));
    EXPECT_TRUE(::IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(security.get(), &control, &revision));
    EXPECT_NE(control & SE_DACL_PROTECTED, 0) << "nothing is inherited from the parent";

    PACL access = nullptr;
    BOOL present = FALSE;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(security.get(), &present, &access, &defaulted));
    ASSERT_TRUE(present && access != nullptr);
    const Entry expected[] = {
        {WinLocalSystemSid, FILE_ALL_ACCESS},
        {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
        {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
    };
    ASSERT_EQ(access->AceCount, std::size(expected));
    for (WORD i = 0; i < access->AceCount; ++i) {
        SCOPED_TRACE(i);
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(::GetAce(access, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        EXPECT_EQ(ace->Mask, expected[i].access);
        EXPECT_TRUE(::IsWellKnownSid(&ace->SidStart, expected[i].who));
    }
}

// A file where the folder belongs is not taken for it.
TEST(ServiceLogFolder, AFileInItsPlaceIsNoFolder) {
    ServiceLogFolderGuard guard;
    const std::string vendor = LocalAppDataFolder(CSIDL_COMMON_APPDATA) + "\\Halvenor";
    ASSERT_TRUE(::CreateDirectoryA(vendor.c_str(), nullptr));
    WriteFileBytes(vendor + "\\VEK", "a file");
    EXPECT_FALSE(MakeServiceLogFolder());
}

} // namespace
} // namespace vek::testing
