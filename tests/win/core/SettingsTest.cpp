// The registry-backed settings of the core: defaults, floors, write-on-change, the client key
// record, value forms and the main-window side effects.
#include "classlib/ClassLibError.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FakeMainWindow.h"
#include "tests/win/support/ScopedGlobals.h"

namespace vek::testing {
namespace {

std::string Sz(const std::string& text) { return text + '\0'; }

std::string Dword(std::int32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

TEST(FreshProfile, CreatesTheKeyTheDefaultLogPathAndItsFolders) {
    SettingsKeyGuard guard;
    DefaultLogFolderGuard folders;
    ASSERT_FALSE(RawKeyExists(HKEY_CURRENT_USER, kSettingsPath));
    const std::string expected = LocalAppDataFolder() + "\\Halvenor\\VEK\\";

    TVEKGlobals globals(TVEKGlobalsOptions{{}, nullptr});

    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, kSettingsPath));
    const auto logPath = GetRawValue(HKEY_CURRENT_USER, kSettingsPath, "LogPath");
    ASSERT_TRUE(logPath.has_value());
    EXPECT_EQ(logPath->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(logPath->data, Sz(expected));
    EXPECT_TRUE(DirectoryExists(LocalAppDataFolder() + "\\Halvenor"));
    EXPECT_TRUE(DirectoryExists(expected));
    EXPECT_TRUE(globals.LogOpen());

    EXPECT_FALSE(GetRawValue(HKEY_CURRENT_USER, kSettingsPath, "Hidden").has_value());
    EXPECT_FALSE(globals.GetHidden());
    const auto hidden = GetRawValue(HKEY_CURRENT_USER, kSettingsPath, "Hidden");
    ASSERT_TRUE(hidden.has_value());
    EXPECT_EQ(hidden->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(hidden->data, Dword(0));
}

TEST(FreshProfile, ARoleWithoutLogCreatesTheKeyButNoLogPath) {
    SettingsKeyGuard guard;
    DefaultLogFolderGuard folders;
    TVEKGlobals globals(TVEKGlobalsOptions{{"-unregister"}, nullptr});
    EXPECT_TRUE(globals.SettingsOpen());
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, kSettingsPath));
    EXPECT_FALSE(GetRawValue(HKEY_CURRENT_USER, kSettingsPath, "LogPath").has_value());
    EXPECT_FALSE(DirectoryExists(LocalAppDataFolder() + "\\Halvenor"));
}

using SettingsTest = CoreTest;

TEST_F(SettingsTest, RemoteIntervalHasAFloorOf300000OnReading) {
    auto globals = MakeGlobals({"-unregister"});
    EXPECT_EQ(globals->GetRemoteInterval(), 300000);
    EXPECT_FALSE(Raw("RemoteInterval").has_value());
    const struct {
        std::int32_t stored, read;
    } cases[] = {{0, 300000},      {60000, 300000},  {-5, 300000},
                 {299999, 300000}, {300000, 300000}, {600000, 600000}};
    for (const auto& c : cases) {
        globals->SetRemoteInterval(c.stored);
        EXPECT_EQ(Raw("RemoteInterval")->data, Dword(c.stored));
        EXPECT_EQ(globals->GetRemoteInterval(), c.read) << c.stored;
    }
}

TEST_F(SettingsTest, NoticeAndAlertIdsReadMinusOneWhenAbsentAndWriteNothing) {
    auto globals = MakeGlobals({"-unregister"});
    EXPECT_EQ(globals->GetNoticeID(), -1);
    EXPECT_EQ(globals->GetAlertID(), -1);
    EXPECT_FALSE(Raw("NoticeID").has_value());
    EXPECT_FALSE(Raw("AlertID").has_value());
    globals->SetNoticeID(0);
    globals->SetAlertID(0);
    EXPECT_EQ(globals->GetNoticeID(), 0);
    EXPECT_EQ(globals->GetAlertID(), 0);
    globals->SetAlertID(17);
    EXPECT_EQ(globals->GetAlertID(), 17);
    EXPECT_EQ(globals->GetNoticeID(), 0);
}

TEST_F(SettingsTest, AlternateIPIsFalseWhenAbsentAndWritesNothing) {
    auto globals = MakeGlobals({"-unregister"});
    EXPECT_FALSE(globals->GetAlternateIP());
    EXPECT_FALSE(Raw("AlternateIP").has_value());
    globals->SetAlternateIP(true);
    EXPECT_TRUE(globals->GetAlternateIP());
    EXPECT_EQ(Raw("AlternateIP")->data, Dword(1));
    globals->SetEnhanced(true);
    EXPECT_EQ(Raw("Enhanced")->data, Dword(1));
}

TEST_F(SettingsTest, SetCIDWritesOnlyAChangedValue) {
    // A stored REG_EXPAND_SZ shows whether the value was rewritten (as REG_SZ).
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "CID", "abc", REG_EXPAND_SZ);
    auto globals = MakeGlobals({"-unregister"});
    FakeMainWindow window;

    globals->SetCID("abc");
    EXPECT_EQ(Raw("CID")->type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_TRUE(window.labels.empty());

    const ScopedMainWindow installed(*globals, &window);
    globals->SetCID("abc");
    EXPECT_EQ(Raw("CID")->type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(window.labels[MainLabel::Label2].caption, "Client ID: abc");

    globals->SetCID("ABC");
    EXPECT_EQ(Raw("CID")->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Raw("CID")->data, Sz("ABC"));
    EXPECT_EQ(globals->GetCID(), "ABC");
    EXPECT_EQ(window.labels[MainLabel::Label2].caption, "Client ID: ABC");
}

TEST_F(SettingsTest, ClientKeyComesBackInLowerCase) {
    auto globals = MakeGlobals({"-unregister"});
    EXPECT_EQ(globals->GetCKey(), "");
    EXPECT_FALSE(globals->GetHostListLocked());

    globals->SetCKey("MiXed");
    EXPECT_EQ(Raw("CKey")->data, Sz("Zk1pWGVk")); // "f" + "MiXed"
    EXPECT_EQ(globals->GetCKey(), "mixed");
    EXPECT_FALSE(globals->GetHostListLocked());

    globals->SetHostListLocked(true);
    EXPECT_EQ(Raw("CKey")->data, Sz("dG1peGVk")); // "t" + "mixed"
    EXPECT_TRUE(globals->GetHostListLocked());
    EXPECT_EQ(globals->GetCKey(), "mixed");

    globals->SetCKey("Key");
    EXPECT_EQ(Raw("CKey")->data, Sz("dEtleQ==")); // "t" + "Key": the flag is kept
}

TEST_F(SettingsTest, LockingWithoutAKeyStoresTheFlagAlone) {
    auto globals = MakeGlobals({"-unregister"});
    globals->SetHostListLocked(true);
    EXPECT_EQ(Raw("CKey")->data, Sz("dA=="));
    EXPECT_TRUE(globals->GetHostListLocked());
    EXPECT_EQ(globals->GetCKey(), "");
}

TEST_F(SettingsTest, AnUpperCaseFlagIsNotLockedAndIsKept) {
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "CKey", "VEtleQ=="); // "T" + "Key"
    auto globals = MakeGlobals({"-unregister"});
    EXPECT_FALSE(globals->GetHostListLocked());
    EXPECT_EQ(globals->GetCKey(), "key");
    globals->SetCKey("New");
    EXPECT_EQ(Raw("CKey")->data, Sz("VE5ldw==")); // "T" + "New"
}

TEST_F(SettingsTest, LastVEKTimeIsAnEightByteBinary) {
    auto globals = MakeGlobals({"-unregister"});
    EXPECT_EQ(globals->GetLastVEKTime(), 0.0);
    globals->SetLastVEKTime(1.5);
    EXPECT_EQ(Raw("LastVEKTime")->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(globals->GetLastVEKTime(), 1.5);

    for (const auto& [type, data] :
         {std::pair<DWORD, std::string>{REG_DWORD, Dword(1)},
          std::pair<DWORD, std::string>{REG_BINARY, std::string(4, 0)},
          std::pair<DWORD, std::string>{REG_BINARY, std::string(7, 0)}}) {
        SetRawValue(HKEY_CURRENT_USER, kSettingsPath, "LastVEKTime", type, data);
        try {
            globals->GetLastVEKTime();
            ADD_FAILURE() << "no error for type " << type << " size " << data.size();
        } catch (const ERegistryException& error) {
            EXPECT_STREQ(error.what(), "Invalid data type for 'LastVEKTime'");
        }
    }
}

TEST_F(SettingsTest, StringsStoredAsExpandableAreReadUnexpanded) {
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "UpdateList", "%TEMP%&h[]=a", REG_EXPAND_SZ);
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "HostPassword", "%USERNAME%", REG_EXPAND_SZ);
    auto globals = MakeGlobals({"-unregister"});
    EXPECT_EQ(globals->GetUpdateList(), "%TEMP%&h[]=a");
    EXPECT_EQ(globals->GetHostPassword(), "%USERNAME%");
    globals->SetHostPassword("hash");
    EXPECT_EQ(Raw("HostPassword")->data, Sz("hash"));
}

TEST_F(SettingsTest, AMissingLogFolderIsNeitherCreatedNorFatal) {
    const std::string missing = folder.Path() + "missing\\";
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "LogPath", missing);
    std::unique_ptr<TVEKGlobals> globals;
    ASSERT_NO_THROW(globals = MakeGlobals());
    EXPECT_FALSE(globals->LogOpen());
    EXPECT_EQ(globals->GetLogPath(), missing);
    EXPECT_FALSE(DirectoryExists(missing));
    EXPECT_NO_THROW(globals->Log("no log", false));
    EXPECT_NO_THROW(globals.reset());
}

TEST_F(SettingsTest, SetHiddenSwitchesTaskbarAndVisibilityInOrder) {
    auto globals = MakeGlobals({"-unregister"});
    globals->SetHidden(true);
    EXPECT_TRUE(globals->GetHidden());

    FakeMainWindow window;
    const ScopedMainWindow installed(*globals, &window);
    globals->SetHidden(true);
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"taskbar=0", "visible=0", "taskbar=1", "taskbar=0"}));
    EXPECT_EQ(Raw("Hidden")->data, Dword(1));

    window.calls.clear();
    globals->SetHidden(false);
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"taskbar=1", "visible=1", "taskbar=0", "taskbar=1"}));
    EXPECT_EQ(Raw("Hidden")->data, Dword(0));
    EXPECT_FALSE(globals->GetHidden());
}

TEST_F(SettingsTest, ShellFolderIsTheNamedValueOrEmptyForAMissingName) {
    const std::string shellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    SetRawString(HKEY_CURRENT_USER, shellFolders, "VEK Test Folder", "C:\\users\\vek\\Test");
    auto globals = MakeGlobals({"-unregister"});
    const std::string found = globals->GetShellFolder("VEK Test Folder");
    DeleteRawValue(HKEY_CURRENT_USER, shellFolders, "VEK Test Folder");
    EXPECT_EQ(found, "C:\\users\\vek\\Test");
    EXPECT_EQ(globals->GetShellFolder("NoSuchFolderName"), "");
    EXPECT_EQ(globals->GetLocalAppDataFolder(), LocalAppDataFolder() + "\\");
}

} // namespace
} // namespace vek::testing
