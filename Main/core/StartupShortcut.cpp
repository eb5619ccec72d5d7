#include "Main/core/StartupShortcut.h"

#include "Main/core/VEKGlobals.h"
#include "classlib/CodePageText.h"
#include "classlib/FileSystem.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/ServiceActions.h"

#include <shlobj.h>

namespace vek {
namespace {

constexpr char kShortcutName[] = "\\Tarvo VEK.lnk";
constexpr char kLinkExtension[] = ".lnk";
constexpr char kShortcutDescription[] = "Tarvo VEK";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

std::string StartupShortcutPath() {
    const std::string folder = Globals->GetShellFolder("Startup");
    return folder.empty() ? std::string() : folder + kShortcutName;
}

HRESULT CreateShortcut(const std::string& target, std::string linkFile,
                       const std::string& description, const std::string& arguments,
                       const std::string& iconFile, int iconIndex) {
    if (!EndsWith(linkFile, kLinkExtension)) {
        linkFile += kLinkExtension;
    }
    ComPtr<IShellLinkA> link;
    HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellLinkA, link.put());
    if (FAILED(result)) {
        return result;
    }
    ComPtr<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, file.put());
    if (FAILED(result)) {
        return result;
    }
    link->SetPath(target.c_str());
    link->SetDescription(description.c_str());
    if (!iconFile.empty()) {
        link->SetIconLocation(iconFile.c_str(), iconIndex);
    }
    if (!arguments.empty()) {
        link->SetArguments(arguments.c_str());
    }
    return file->Save(WideFromCodePage(linkFile, CP_ACP).c_str(), TRUE);
}

void SetRunOnStartup(bool enable) {
    const std::string path = StartupShortcutPath();
    if (path.empty()) {
        return;
    }
    if (enable) {
        CreateShortcut(RunningProgramPath(), path, kShortcutDescription, "", "", 0);
    } else if (FileExists(path)) {
        ::DeleteFileA(path.c_str());
    }
}

} // namespace vek
