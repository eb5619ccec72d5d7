// Every library the program loads while it runs comes from the system folder by its full path,
// and once the search is restricted a library put in the current folder is not found by name.
#include "Main/core/AdapterApi.h"
#include "Main/core/ShellFolders.h"
#include "classlib/XmlDocument.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FakeSystemFiles.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <functional>

namespace vek::testing {
namespace {

TEST(SystemLibrary, EachRunTimeLibraryIsTakenFromTheSystemFolder) {
    struct Case {
        const char* library;
        std::function<void()> use;
    };
    const Case cases[] = {
        {"iphlpapi.dll", [] { EXPECT_EQ(MakeSystemAdapterApi()->Load(), nullptr); }},
        {"SHFolder.dll", [] { EXPECT_EQ(ShellFolderPath(CSIDL_LOCAL_APPDATA), "\\"); }},
        {"xmllite.dll", [] { EXPECT_FALSE(ReadXmlDocument("<a/>").has_value()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library);
        FakeSystemFiles system;
        c.use();
        EXPECT_EQ(system.loaded, std::vector<std::string>{std::string("S:\\system\\") + c.library});
    }
}

// The restriction stays for the rest of the process, which runs this test alone.
TEST(SystemLibrary, RestrictedSearchSkipsTheCurrentFolder) {
    const TempFolder planted;
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_TRUE(::CopyFileA((std::string(system) + "\\iphlpapi.dll").c_str(),
                            (planted.Path() + "vekplanted.dll").c_str(), FALSE));
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(planted.Path().c_str()));
    {
        const UniqueModule before(::LoadLibraryA("vekplanted.dll"));
        EXPECT_TRUE(before) << "found in the current folder";
    }
    RestrictDllSearch();
    const UniqueModule after(::LoadLibraryA("vekplanted.dll"));
    EXPECT_FALSE(after);
    ::SetCurrentDirectoryA(previous);
}

} // namespace
} // namespace vek::testing
