#pragma once
// The browser launcher of every window that opens web links: the open command of the ".htm" file
// type's class, read from HKEY_CLASSES_ROOT, started with the address in place of the command's
// document placeholder.
#include <windows.h>

#include <string>

namespace vek {

// How the browser's window is shown, in the order of the launcher's values.
enum class TUrlShowCmd {
    ssHide,
    ssMaximize,
    ssMinimize,
    ssRestore,
    ssShow,
    ssShowDefault,
    ssShowMaximized,
    ssShowMinimized,
    ssShowMinNoActivate,
    ssShowNA,
    ssShowNoActivate,
    ssShowNormal,
};

// The show code the program start is given for a value.
UINT ShowCode(TUrlShowCmd command);

class TpvlUrl {
public:
    std::string Url;
    TUrlShowCmd UrlShowCommand = TUrlShowCmd::ssShowDefault;

    // Opens Url in the default browser, as one argument in double quotes. Nothing happens when
    // no browser is registered for ".htm". Only an "http://" or "https://" address (the scheme in
    // any letter case) of characters an address holds unescaped is opened: any other is logged
    // and fails like a start that fails, which raises "Couldn't launch default browser".
    void LaunchUrl();

    // The result of opening the key, or of reading its default value once the key is open (0 on
    // success); only on success does value receive the default value, read whole.
    static LONG ReadRegistryDefault(HKEY root, const std::string& subKey, std::string& value);
};

} // namespace vek
