#include "Main/service/VEKService.h"

#include "Main/core/VEKGlobals.h"
#include "Main/core/WindowIdentity.h"
#include "classlib/Locale.h"
#include "classlib/Seams.h"
#include "common/DateTime.h"

namespace vek {
namespace {

constexpr WPARAM kServiceNotice = 2;
constexpr LPARAM kServiceStarted = 1;
constexpr LPARAM kServiceStopped = 2;

constexpr char kSettingsUnavailableLine[] =
    "Service settings unavailable: no ServiceUser is stored or its settings key cannot be opened.";

HWND FindClientWindow() {
    return seams::Windows().FindWindowA(kMainWindowClass, kMainWindowCaption);
}

} // namespace

// Without settings there is nothing to check with: the first check is not armed, and the start
// is refused.
TTarvoVEKService3::TTarvoVEKService3()
    : TService("TarvoVEKService3", "TarvoVEKService3"),
      Startup(kStartupInterval, Globals->SettingsOpen(), [this] { StartupTimer(); }),
      cycle_(*this, kExternalIntervalAtCreation) {}

void TTarvoVEKService3::ServiceStart(bool& started) {
    if (!Globals->SettingsOpen()) {
        ReportSettingsUnavailable();
        ErrCode = kSettingsUnavailable;
        started = false;
        return;
    }
    NotifyClient(kServiceNotice, kServiceStarted);
    started = true;
}

void TTarvoVEKService3::ServiceStop(bool& stopped) {
    NotifyClient(kServiceNotice, kServiceStopped);
    stopped = true;
}

// A desktop client that does not answer cannot hold the service's start or stop: the wait for
// its answer is bounded, and a hung one is not waited for at all.
void TTarvoVEKService3::NotifyClient(WPARAM wParam, LPARAM lParam) {
    const HWND window = FindClientWindow();
    if (window == nullptr) {
        return;
    }
    DWORD_PTR result = 0;
    seams::Windows().SendMessageTimeoutA(window, WM_CLIENTNOTIFY, wParam, lParam,
                                         SMTO_ABORTIFHUNG | SMTO_BLOCK, kNotifyTimeout, &result);
}

bool TTarvoVEKService3::IsClientActive() {
    const bool active = FindClientWindow() != nullptr ||
                        MinutesBetween(Now(), Globals->GetLastVEKTime()) < kClientActiveMinutes;
    if (active) {
        Globals->ClearMissingHosts();
    }
    return active;
}

// The first check runs whatever the desktop client does.
void TTarvoVEKService3::StartupTimer() {
    Startup.SetEnabled(false);
    cycle_.CheckIP();
}

// The service's log does not depend on the settings: the line goes there.
void TTarvoVEKService3::ReportSettingsUnavailable() {
    Globals->Log(kSettingsUnavailableLine, false);
}

void TTarvoVEKService3::Log(const std::string& text, bool) { Globals->Log(text, false); }

void TTarvoVEKService3::CheckFailed() { Log("Error checking remote IP, will retry", false); }

// The client id may be enabled again in the account: the service asks again in an hour.
void TTarvoVEKService3::ClientIdDisabled(TIPCheckCycle& cycle) {
    cycle.ScheduleIPCheck(false, kClientIdDisabledRetry);
    Log("Update client ID banned, will retry in 60 minutes.", false);
}

} // namespace vek
