#include "pvlUrl.h"

#include "ClassLibError.h"
#include "UiSeams.h"
#include "VEKGlobals.h"
#include "WinHandles.h"

#include <algorithm>
#include <vector>

namespace vek {
namespace {

constexpr char kQuotedPlaceholder[] = "\"%1\"";
constexpr char kPlaceholder[] = "%1";
// The start of a program counts as failed below this result.
constexpr UINT kFirstSuccessfulStart = 32;

// The address goes between double quotes on a command line: one holding a quote or a control
// character could end that argument and add others.
bool IsLaunchableUrl(const std::string& url) {
    return std::none_of(url.begin(), url.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '"' || byte < 0x20 || byte == 0x7F;
    });
}

// The open command cut at its document placeholder (a quoted "%1" first, else a bare %1; what
// follows it goes too), then a blank and the address in double quotes.
std::string BrowserCommandLine(std::string command, const std::string& url) {
    std::size_t placeholder = command.find(kQuotedPlaceholder);
    if (placeholder == std::string::npos) {
        placeholder = command.find(kPlaceholder);
    }
    if (placeholder != std::string::npos) {
        command.erase(placeholder);
    }
    return command + " \"" + url + "\"";
}

} // namespace

UINT ShowCode(TUrlShowCmd command) {
    switch (command) {
    case TUrlShowCmd::ssHide:
        return SW_HIDE;
    case TUrlShowCmd::ssMaximize:
        return SW_MAXIMIZE;
    case TUrlShowCmd::ssMinimize:
        return SW_MINIMIZE;
    case TUrlShowCmd::ssRestore:
        return SW_RESTORE;
    case TUrlShowCmd::ssShow:
        return SW_SHOW;
    case TUrlShowCmd::ssShowDefault:
        return SW_SHOWDEFAULT;
    case TUrlShowCmd::ssShowMaximized:
        return SW_SHOWMAXIMIZED;
    case TUrlShowCmd::ssShowMinimized:
        return SW_SHOWMINIMIZED;
    case TUrlShowCmd::ssShowMinNoActivate:
        return SW_SHOWMINNOACTIVE;
    case TUrlShowCmd::ssShowNA:
        return SW_SHOWNA;
    case TUrlShowCmd::ssShowNoActivate:
        return SW_SHOWNOACTIVATE;
    case TUrlShowCmd::ssShowNormal:
        return SW_SHOWNORMAL;
    }
    return SW_SHOWDEFAULT;
}

LONG TpvlUrl::ReadRegistryDefault(HKEY root, const std::string& subKey, std::string& value) {
    HKEY opened = nullptr;
    const LONG result = ::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    const UniqueKey key(opened);
    // Sized first, so that a command of any length is read whole.
    DWORD size = 0;
    LONG query = ::RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, nullptr, &size);
    if (query != ERROR_SUCCESS) {
        return query;
    }
    std::vector<char> buffer(size + 1, '\0');
    query = ::RegQueryValueExA(key.get(), nullptr, nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (query != ERROR_SUCCESS) {
        return query;
    }
    value = buffer.data();
    return ERROR_SUCCESS;
}

void TpvlUrl::LaunchUrl() {
    const UINT showCode = ShowCode(UrlShowCommand);
    std::string command;
    if (ReadRegistryDefault(HKEY_CLASSES_ROOT, ".htm", command) != ERROR_SUCCESS ||
        command.empty()) {
        return;
    }
    command += "\\shell\\open\\command";
    if (ReadRegistryDefault(HKEY_CLASSES_ROOT, command, command) != ERROR_SUCCESS ||
        command.empty()) {
        return;
    }
    if (!IsLaunchableUrl(Url)) {
        Globals->Log("A link was not opened: its address holds a double quote or a control "
                     "character.",
                     false);
        return;
    }
    if (seams::Programs().WinExec(BrowserCommandLine(command, Url), showCode) <
        kFirstSuccessfulStart) {
        throw EClassLibError("Couldn't launch default browser");
    }
}

} // namespace vek
