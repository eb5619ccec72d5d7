// The IP check cycle on the main window: what each step of the shared cycle shows (the address
// line, the lights, the tray hint, the "Copy IP Address" items, the status bar) and the count-down
// to the next check.
#include "Main/forms/Unit1.h"

#include "Main/core/VEKGlobals.h"
#include "Main/res/ControlIds.h"
#include "classlib/AutoSizeLabel.h"
#include "classlib/Locale.h"
#include "classlib/MessagePump.h"
#include "classlib/Seams.h"
#include "common/DateTime.h"

namespace vek {
namespace {

// The caption stays up this long before the request blocks.
constexpr DWORD kCheckingPause = 200;
constexpr double kMillisecondsPerDay = 86400000.0;

} // namespace

void TVEK::SetLabelText(int id, const std::string& text) {
    SetControlText(id, text);
    FitLabelToCaption(Control(id));
}

void TVEK::SetCopyIPAddressEnabled(bool enabled) {
    SetMenuItemEnabled(IDM_VEK_COPYIPADDRESS1, enabled);
    SetMenuItemEnabled(IDM_VEK_COPYIPADDRESS2, enabled);
}

void TVEK::Log(const std::string& text, bool statusEcho) { Globals->Log(text, statusEcho); }

void TVEK::WatchScheduled(bool, UINT interval) {
    // One millisecond more than the watcher's interval, so that the count-down never reaches
    // zero before the watcher fires.
    NextCheckTime = Now() + (static_cast<double>(interval) + 1) / kMillisecondsPerDay;
    NextIPWatchTimerTimer();
}

void TVEK::AddressStillLocal() { SetLightImage(StatusLight::JvImageSquare1, LightGood); }

void TVEK::CheckStarting() {
    SetLabelText(IDC_VEK_LABEL1, "IP: Checking...");
    SetLightImage(StatusLight::JvImageSquare1, LightNeutral);
    // The caption is painted before the request blocks.
    ProcessMessages();
    seams::Sleeper().Sleep(kCheckingPause);
}

void TVEK::CheckFailed() {
    Log("IP Server did not respond with valid response", true);
    JvTrayIcon1.SetHint("Tarvo: IP Unknown");
    SetLabelText(IDC_VEK_LABEL1, "IP: Error connecting to server");
    SetCopyIPAddressEnabled(false);
    SetLightImage(StatusLight::JvImageSquare1, LightFault);
}

void TVEK::AddressFound(const std::string& address, bool local) {
    SetCopyIPAddressEnabled(true);
    SetLightImage(StatusLight::JvImageSquare1, LightGood);
    JvTrayIcon1.SetHint("Tarvo: " + address);
    if (local) {
        SetLabelText(IDC_VEK_LABEL1, "IP: " + address + " (Local)");
        Log("Local IP Found: " + address, true);
    } else {
        SetLabelText(IDC_VEK_LABEL1, "IP: " + address + " (Router/NAT)");
        Log("Remote IP Found: " + address, true);
    }
}

void TVEK::SubmitStarting() { SetLightImage(StatusLight::JvImageSquare3, LightNeutral); }

void TVEK::ReplyArrived() { SetLightImage(StatusLight::JvImageSquare2, LightGood); }

void TVEK::NoAnswer() {
    SetLightImage(StatusLight::JvImageSquare1, LightFault);
    SetLightImage(StatusLight::JvImageSquare3, LightFault);
    Log("Update server unavailable, will retry in 30 seconds.", true);
}

void TVEK::AccountRejected() { SetLightImage(StatusLight::JvImageSquare2, LightFault); }

void TVEK::ServerError() {
    SetLightImage(StatusLight::JvImageSquare1, LightFault);
    SetLightImage(StatusLight::JvImageSquare3, LightFault);
}

void TVEK::ClientIdDisabled(TIPCheckCycle&) {
    StopForDisabledClientId();
    SetLightImage(StatusLight::JvImageSquare1, LightFault);
    SetLightImage(StatusLight::JvImageSquare3, LightFault);
    Log("ClientID disabled by master account.", true);
}

void TVEK::UpdatesCounted(int good) {
    if (good == 0) {
        SetLightImage(StatusLight::JvImageSquare3, LightFault);
        return;
    }
    SetLightImage(StatusLight::JvImageSquare3, LightGood);
    const std::size_t missing = Globals->MissingHosts.Count();
    std::string line = "Updated " + std::to_string(good) + " items successfully";
    if (missing > 0) {
        line += ", " + std::to_string(missing) + " selected hosts missing";
    }
    Log(line + ".", true);
}

// The time left to the armed watcher's due time; past it (the computer slept, say), the time
// since, as the difference is taken without sign.
void TVEK::NextIPWatchTimerTimer() {
    if (!InternalIPWatcher().Enabled() && !ExternalIPWatcher().Enabled()) {
        SetLabelText(IDC_VEK_LABEL10, "Next Check: Disabled");
        return;
    }
    const double now = Now();
    const long long hours = HoursBetween(now, NextCheckTime);
    const long long minutes = MinutesBetween(now, NextCheckTime);
    const long long seconds = SecondsBetween(now, NextCheckTime);
    const std::string minutesPart = std::to_string(minutes - 60 * hours) + "m ";
    const std::string secondsPart = std::to_string(seconds - 60 * minutes) + "s";
    std::string remaining;
    if (hours >= 1) {
        remaining = std::to_string(hours) + "h " + minutesPart + secondsPart;
    } else if (minutes >= 1) {
        remaining = minutesPart + secondsPart;
    } else if (seconds >= 1) {
        remaining = secondsPart;
    } else {
        remaining = "Executing...";
        SetLightImage(StatusLight::JvImageSquare1, LightNeutral);
    }
    SetLabelText(IDC_VEK_LABEL10, "Next Check: " + remaining);
}

} // namespace vek
