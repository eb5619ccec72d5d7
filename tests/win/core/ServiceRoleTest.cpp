// The service role's settings key: HKEY_USERS\<ServiceUser>\Software\Halvenor\VEK\v3, where
// ServiceUser comes from the machine-wide key; without it nothing is created below HKEY_USERS.
// Its log lies in the machine's folder whatever the settings say.
#include "Main/core/ShellFolders.h"
#include "tests/win/support/CoreFixture.h"

namespace vek::testing {
namespace {

const std::string kTestUser = "S-1-5-21-1-2-3-4242";

// The machine-wide key without ServiceUser, and no test user's key below HKEY_USERS, before and
// after the test.
class ServiceRoleGuard {
public:
    ServiceRoleGuard() { DeleteRawTree(HKEY_USERS, kTestUser); }
    ~ServiceRoleGuard() { DeleteRawTree(HKEY_USERS, kTestUser); }
    ServiceRoleGuard(const ServiceRoleGuard&) = delete;
    ServiceRoleGuard& operator=(const ServiceRoleGuard&) = delete;

private:
    ServiceUserGuard serviceUser_;
};

class ServiceRoleTest : public ::testing::Test {
protected:
    std::string UserKey() const { return kTestUser + "\\" + kSettingsPath; }

    SettingsKeyGuard settings;
    ServiceRoleGuard serviceUser;
    ServiceLogFolderGuard serviceLog;
    TempFolder folder;
};

TEST_F(ServiceRoleTest, OpensTheServiceUsersKeyAndLogsToServiceLog) {
    SetRawString(HKEY_LOCAL_MACHINE, kSettingsPath, "ServiceUser", kTestUser);
    SetRawString(HKEY_USERS, UserKey(), "LogPath", folder.Path());
    {
        TVEKGlobals globals(TVEKGlobalsOptions{{"-service"}, nullptr});
        EXPECT_TRUE(globals.SettingsOpen());
        EXPECT_TRUE(globals.IsServiceRole());
        globals.SetCID("x");
        EXPECT_TRUE(globals.LogOpen());
    }
    const auto cid = GetRawValue(HKEY_USERS, UserKey(), "CID");
    ASSERT_TRUE(cid.has_value());
    EXPECT_EQ(cid->data, std::string("x\0", 2));
    EXPECT_FALSE(GetRawValue(HKEY_CURRENT_USER, kSettingsPath, "CID").has_value());

    // Not in the folder the user's LogPath names.
    EXPECT_FALSE(FileExists(folder.Path() + "VEK.log"));
    EXPECT_FALSE(FileExists(folder.Path() + "Service.log"));
    EXPECT_EQ(ServiceLogFolder(), LocalAppDataFolder(CSIDL_COMMON_APPDATA) + "\\Halvenor\\VEK\\");
    const std::string log = ReadFileBytes(ServiceLogFolder() + "Service.log");
    EXPECT_NE(log.find("***Logging started.***\r\n"), std::string::npos);
    EXPECT_NE(log.find("***Logging ending.***\r\n"), std::string::npos);
}

TEST_F(ServiceRoleTest, CreatesTheServiceUsersKeyWhenAbsent) {
    SetRawString(HKEY_LOCAL_MACHINE, kSettingsPath, "ServiceUser", kTestUser);
    DefaultLogFolderGuard folders;
    TVEKGlobals globals(TVEKGlobalsOptions{{"-service"}, nullptr});
    EXPECT_TRUE(globals.SettingsOpen());
    EXPECT_TRUE(RawKeyExists(HKEY_USERS, UserKey()));
}

TEST_F(ServiceRoleTest, WithoutServiceUserNothingIsCreatedBelowHkeyUsers) {
    DefaultLogFolderGuard folders;
    const std::string before = SubkeyNames(HKEY_USERS);
    std::unique_ptr<TVEKGlobals> globals;
    ASSERT_NO_THROW(globals =
                        std::make_unique<TVEKGlobals>(TVEKGlobalsOptions{{"-service"}, nullptr}));
    EXPECT_FALSE(globals->SettingsOpen());
    EXPECT_TRUE(globals->LogOpen()) << "the log does not need the settings";
    EXPECT_EQ(SubkeyNames(HKEY_USERS), before);
    EXPECT_FALSE(RawKeyExists(HKEY_USERS, "Software\\Halvenor"));
    // The machine-wide key is created when absent.
    EXPECT_TRUE(RawKeyExists(HKEY_LOCAL_MACHINE, kSettingsPath));
}

TEST_F(ServiceRoleTest, AServiceUserOfTheWrongFormIsNotFatal) {
    DefaultLogFolderGuard folders;
    SetRawDword(HKEY_LOCAL_MACHINE, kSettingsPath, "ServiceUser", 7);
    const std::string before = SubkeyNames(HKEY_USERS);
    std::unique_ptr<TVEKGlobals> globals;
    ASSERT_NO_THROW(globals =
                        std::make_unique<TVEKGlobals>(TVEKGlobalsOptions{{"-service"}, nullptr}));
    EXPECT_FALSE(globals->SettingsOpen());
    EXPECT_EQ(SubkeyNames(HKEY_USERS), before);
}

TEST_F(ServiceRoleTest, TheRoleArgumentIsCaseSensitive) {
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "LogPath", folder.Path());
    SetRawString(HKEY_LOCAL_MACHINE, kSettingsPath, "ServiceUser", kTestUser);
    TVEKGlobals globals(TVEKGlobalsOptions{{"-Service"}, nullptr});
    EXPECT_FALSE(globals.IsServiceRole());
    globals.SetCID("y");
    EXPECT_TRUE(GetRawValue(HKEY_CURRENT_USER, kSettingsPath, "CID").has_value());
    EXPECT_FALSE(RawKeyExists(HKEY_USERS, UserKey()));
    EXPECT_FALSE(globals.LogOpen());
}

} // namespace
} // namespace vek::testing
