// Every library the program loads while it runs comes from the system folder by its full path.
#include "AdapterApi.h"
#include "FakeSystemFiles.h"
#include "ShellFolders.h"
#include "XmlDocument.h"

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

} // namespace
} // namespace vek::testing
