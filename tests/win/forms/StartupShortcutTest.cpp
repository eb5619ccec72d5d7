// The startup shortcut: the link file's name, the link written and read back through the shell,
// removed again and shown by the preferences dialog, and no link anywhere when the Startup folder
// is unknown.
#include "Main/core/StartupShortcut.h"
#include "Main/forms/Unit3.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/ServiceActions.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FormDriver.h"
#include "tests/win/support/StartupFolder.h"

#include <shlobj.h>
#include <windowsx.h>

namespace vek::testing {
namespace {

class StartupShortcutTest : public GlobalsTest {
protected:
    bool ShortcutBoxChecked() {
        return Button_GetCheck(TOptionsForm(nullptr).Control("JvCheckBox2")) == BST_CHECKED;
    }

    ComInit com;
    TempFolder startup;
    StartupFolderOverride startupFolder;
};

TEST_F(StartupShortcutTest, ALinkNameGetsTheExtensionUnlessItEndsInItExactly) {
    for (const auto& [given, written] :
         {std::pair{"plain", "plain.lnk"}, {"ends.lnk", "ends.lnk"}, {"up.LNK", "up.LNK.lnk"}}) {
        EXPECT_EQ(CreateShortcut("C:\\windows\\notepad.exe", startup.Path() + given, "", "", "", 0),
                  S_OK);
        EXPECT_TRUE(FileExists(startup.Path() + written)) << given;
    }
}

TEST_F(StartupShortcutTest, RunOnStartupWritesTheProgramsLinkAndRemovesIt) {
    const std::string folder = startup.Path().substr(0, startup.Path().size() - 1);
    startupFolder.Set(folder);
    const std::string file = folder + "\\Tarvo VEK.lnk";
    EXPECT_EQ(StartupShortcutPath(), file);
    EXPECT_FALSE(ShortcutBoxChecked());

    SetRunOnStartup(true);
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> persisted;
    ASSERT_EQ(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 link.put()),
              S_OK);
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, persisted.put()), S_OK);
    ASSERT_EQ(persisted->Load(std::wstring(file.begin(), file.end()).c_str(), STGM_READ), S_OK);
    char path[MAX_PATH] = {};
    char description[MAX_PATH] = {};
    char arguments[MAX_PATH] = {};
    link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetDescription(description, MAX_PATH);
    link->GetArguments(arguments, MAX_PATH);
    EXPECT_EQ(path, RunningProgramPath());
    EXPECT_STREQ(description, "Tarvo VEK");
    EXPECT_STREQ(arguments, "");
    EXPECT_TRUE(ShortcutBoxChecked());

    SetRunOnStartup(false);
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(ShortcutBoxChecked());
}

// Without a Startup folder the link's name would be "\Tarvo VEK.lnk", at the root of the current
// drive: none is written there, and one found there is not deleted.
TEST_F(StartupShortcutTest, AnUnknownStartupFolderLeavesTheDriveRootAlone) {
    startupFolder.Set(std::nullopt);
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(startup.Path().c_str()));
    const std::string root = startup.Path().substr(0, 3) + "Tarvo VEK.lnk";
    EXPECT_EQ(StartupShortcutPath(), "");
    SetRunOnStartup(true);
    EXPECT_FALSE(FileExists(root));
    WriteFileBytes(root, "not ours");
    SetRunOnStartup(false);
    EXPECT_TRUE(FileExists(root));
    ::DeleteFileA(root.c_str());
    ::SetCurrentDirectoryA(previous);
}

} // namespace
} // namespace vek::testing
