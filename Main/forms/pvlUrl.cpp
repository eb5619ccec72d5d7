#include "Main/forms/pvlUrl.h"

#include "Main/core/VEKGlobals.h"
#include "classlib/ClassLibError.h"
#include "classlib/UiSeams.h"
#include "classlib/WinHandles.h"
#include "common/Ascii.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace vek {
namespace {

constexpr char kQuotedPlaceholder[] = "\"%1\"";
constexpr char kPlaceholder[] = "%1";
// The start of a program counts as failed below this result.
constexpr UINT kFirstSuccessfulStart = 32;
constexpr char kLaunchFailed[] = "Couldn't launch default browser";

constexpr char kRefusedLink[] =
    "A link was not opened: it is not an http or https address of plain address characters.";

// The characters an address holds unescaped: letters, digits, "-._~", the delimiters
// ":/?#[]@!$&'()*+,;=" and "%" of the escapes. None of them can end the quoted argument the
// address becomes, or make it a path, a switch or another kind of address.
bool IsAddressCharacter(char c) {
    static constexpr std::string_view kMarks = "-._~:/?#[]@!$&'()*+,;=%";
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           kMarks.find(c) != std::string_view::npos;
}

bool StartsWithInAnyCase(std::string_view text, std::string_view start) {
    return EqualsIgnoringAsciiCase(text.substr(0, start.size()), start);
}

// Only web addresses reach the browser: a link a reply carries could otherwise open a file, a
// share, or hand the browser a switch.
bool IsLaunchableUrl(std::string_view url) {
    return (StartsWithInAnyCase(url, "http://") || StartsWithInAnyCase(url, "https://")) &&
           std::all_of(url.begin(), url.end(), IsAddressCharacter);
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
    if (!IsLaunchableUrl(Url)) {
        Globals->Log(kRefusedLink, false);
        throw EClassLibError(kLaunchFailed);
    }
    std::string command;
    if (ReadRegistryDefault(HKEY_CLASSES_ROOT, ".htm", command) != ERROR_SUCCESS ||
        command.empty()) {
        return;
    }
    command += "\\shell\\open\\command";
    // An open command that reads empty is started all the same, and fails.
    if (ReadRegistryDefault(HKEY_CLASSES_ROOT, command, command) != ERROR_SUCCESS) {
        return;
    }
    if (seams::Programs().WinExec(BrowserCommandLine(command, Url), showCode) <
        kFirstSuccessfulStart) {
        throw EClassLibError(kLaunchFailed);
    }
}

} // namespace vek
