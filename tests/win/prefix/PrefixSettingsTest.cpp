// The settings that scripts/wine-prefix.sh gives every prefix of the tests and of the running
// system, each checked by what it is for: layouts measured in Tahoma, ".htm" links opened by the
// browser's command, and a shortcut that leaves no trace in the Linux home folder.
#include <gtest/gtest.h>

#include "classlib/WinHandles.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace vek {
namespace {

struct FontCase {
    const char* name;
    LONG weight;
    const char* style;
};

void PrintTo(const FontCase& c, std::ostream* os) { *os << c.name; }

class TahomaTest : public ::testing::TestWithParam<FontCase> {};

// The family and style of the font the system picks for "Tahoma" at the case's weight: a bold
// drawn from the regular face would report the style "Regular".
TEST_P(TahomaTest, IsTheFontPickedForItsName) {
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    UniqueGdiObject<HFONT> font(::CreateFontA(
        -11, 0, 0, 0, GetParam().weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma"));
    ASSERT_TRUE(font);
    std::vector<char> metrics;
    bool read = false;
    {
        const ScopedSelection selection(dc.get(), font.get());
        metrics.resize(::GetOutlineTextMetricsA(dc.get(), 0, nullptr));
        read = !metrics.empty() &&
               ::GetOutlineTextMetricsA(dc.get(), static_cast<UINT>(metrics.size()),
                                        reinterpret_cast<OUTLINETEXTMETRICA*>(metrics.data())) != 0;
    }
    ASSERT_TRUE(read);
    auto* outline = reinterpret_cast<OUTLINETEXTMETRICA*>(metrics.data());
    const auto text = [&](PSTR offset) {
        return std::string(metrics.data() + reinterpret_cast<size_t>(offset));
    };
    EXPECT_EQ(text(outline->otmpFamilyName), "Tahoma");
    EXPECT_EQ(text(outline->otmpStyleName), GetParam().style);
}

INSTANTIATE_TEST_SUITE_P(Weights, TahomaTest,
                         ::testing::Values(FontCase{"Regular", FW_NORMAL, "Regular"},
                                           FontCase{"Bold", FW_BOLD, "Bold"}));

// The default browser is found through the ".htm" association.
TEST(PrefixSettingsTest, HtmFilesOpenWithTheHtmlFileCommand) {
    char htm[1024] = {};
    DWORD htmLength = sizeof htm;
    ASSERT_EQ(::AssocQueryStringA(0, ASSOCSTR_COMMAND, ".htm", "open", htm, &htmLength), S_OK);
    char htmlfile[1024] = {};
    DWORD htmlfileLength = sizeof htmlfile;
    ASSERT_EQ(
        ::AssocQueryStringA(0, ASSOCSTR_COMMAND, "htmlfile", "open", htmlfile, &htmlfileLength),
        S_OK);
    EXPECT_STREQ(htm, htmlfile);
}

// Waits (bounded) for every running menu builder to end; false when one is still running.
bool MenuBuildersEnd() {
    UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && ::Process32First(snapshot.get(), &entry); more;
         more = ::Process32Next(snapshot.get(), &entry)) {
        if (::lstrcmpiA(entry.szExeFile, "winemenubuilder.exe") != 0) {
            continue;
        }
        UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process && ::WaitForSingleObject(process.get(), 20000) == WAIT_TIMEOUT) {
            return false;
        }
    }
    return true;
}

void SaveShortcut(int folderId) {
    char folder[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathA(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, folder), S_OK);
    const std::filesystem::path path = std::filesystem::path(folder) / "VEK prefix probe.lnk";
    ComPtr<IShellLinkA> link;
    ASSERT_EQ(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 link.put()),
              S_OK);
    ASSERT_EQ(link->SetPath("C:\\windows\\system32\\notepad.exe"), S_OK);
    ComPtr<IPersistFile> file;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, file.put()), S_OK);
    const HRESULT saved = file->Save(path.wstring().c_str(), TRUE);
    std::filesystem::remove(path);
    ASSERT_EQ(saved, S_OK);
}

// Saving a shortcut in the start menu or on the desktop starts the menu builder, which would
// write menu entries, icons and desktop files into HOME (VEK_HOME_FOLDER names it for Windows).
TEST(PrefixSettingsTest, AShortcutLeavesTheHomeFolderAlone) {
    const char* homeFolder = std::getenv("VEK_HOME_FOLDER");
    ASSERT_NE(homeFolder, nullptr) << "VEK_HOME_FOLDER must name the test's HOME";
    const std::filesystem::path home(homeFolder);
    std::filesystem::remove_all(home);
    ASSERT_TRUE(std::filesystem::create_directories(home));
    const ComInit com;
    ASSERT_TRUE(SUCCEEDED(com.Result()));

    SaveShortcut(CSIDL_PROGRAMS);
    SaveShortcut(CSIDL_DESKTOPDIRECTORY);
    // The builder is started while the shortcut is saved, and then works on its own.
    EXPECT_TRUE(MenuBuildersEnd());
    EXPECT_TRUE(std::filesystem::is_empty(home));
}

} // namespace
} // namespace vek
