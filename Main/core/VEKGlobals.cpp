#include "Main/core/VEKGlobals.h"

#include "classlib/ClassLibError.h"
#include "classlib/Locale.h"

namespace vek {

TVEKGlobals* Globals = nullptr;

TVEKGlobals::TVEKGlobals(TVEKGlobalsOptions options)
    : MissingHosts(&AnsiCompareText), arguments_(std::move(options.Arguments)),
      adapters_(options.Adapters ? std::move(options.Adapters) : MakeSystemAdapterApi()) {
    ProbeAdapterApi();
    OpenSettings();
    const bool logs = arguments_.empty() || IsServiceRole();
    if (logs) {
        StartLogging();
    }
}

TVEKGlobals::~TVEKGlobals() {
    LogTrimTimer.reset();
    Log("***Logging ending.***", false);
    // The log closes with its owner; the adapter library is released last, with adapters_.
}

bool TVEKGlobals::IsServiceRole() const {
    return !arguments_.empty() && arguments_.front() == "-service";
}

void TVEKGlobals::OpenSettings() {
    if (!IsServiceRole()) {
        Reg.SetRootKey(HKEY_CURRENT_USER);
        Reg.OpenKey(kSettingsKey, true);
        return;
    }
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    Reg.OpenKey(kSettingsKey, true);
    // The constructor never raises: a ServiceUser of another form counts as missing.
    std::string serviceUser;
    try {
        serviceUser = Reg.ReadString("ServiceUser");
    } catch (const ERegistryException&) {
    }
    Reg.CloseKey();
    Reg.SetRootKey(HKEY_USERS);
    // Without the installing user's SID there is no user's key to open, and nothing is created
    // directly below HKEY_USERS; the service reports the missing settings and stops.
    if (!serviceUser.empty()) {
        Reg.OpenKey(serviceUser + "\\" + kSettingsKey, true);
    }
}

} // namespace vek
