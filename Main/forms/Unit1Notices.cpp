// The notice fetch of the main window: the account's notices and alerts, its e-mail address and
// values, and whether this client id is still enabled, asked for on the UserXML timer.
//
// A reply that looks like XML but cannot be used (unreadable, a value that cannot be converted,
// a root that is neither "user" nor "disabled") is read whole before anything of it is applied
// and changes nothing, except that a root "user" still starts the IP watch. It is fetched again
// in a minute, and then every hour while the replies stay unusable, so that a server that keeps
// sending a bad value is not asked every minute.
#include "Main/forms/Unit1.h"

#include "Main/core/IPCheckCycle.h"
#include "Main/core/NoticesReply.h"
#include "Main/core/ProviderUrls.h"
#include "Main/core/VEKGlobals.h"
#include "Main/res/ControlIds.h"
#include "classlib/HandlerBoundary.h"

#include <utility>

namespace vek {
namespace {

constexpr UINT kRetryFetch = 60000;
constexpr UINT kNextDayFetch = 86400000;
constexpr UINT kDisabledFetch = 3600000;
constexpr UINT kRejectedAgainFetch = 3600000;
// Watching starts at once when a "user" reply finds it off.
constexpr UINT kStartWatching = 1;

} // namespace

void TVEK::ScheduleNoticeFetch(UINT interval) {
    UserXML.SetInterval(interval);
    UserXML.SetEnabled(true);
}

// The checks stay off until a notices reply or the user starts them again; the notices are asked
// for again in an hour.
void TVEK::StopForDisabledClientId() {
    StopIPWatchers();
    SetControlText(IDC_VEK_LABEL11, "Client ID disabled within account.");
    SetControlVisible(IDC_VEK_LABEL11, true);
    SetLightImage(StatusLight::JvImageSquare2, LightFault);
    ScheduleNoticeFetch(kDisabledFetch);
}

// Each tick fetches once; the fetch arms the next one. A fetch that raised is tried again like
// one that got no answer.
void TVEK::UserXMLTimer() {
    UserXML.SetEnabled(false);
    RunQuietly([this] { FetchNotices(); });
    if (!UserXML.Enabled()) {
        ScheduleNoticeFetch(kRetryFetch);
    }
}

void TVEK::FetchNotices() {
    const std::string clientId = Globals->GetCID();
    Globals->Log("Retrieving notices.php as " + clientId, false);
    const std::string request =
        NoticesUrl(Globals->Endpoints, clientId, Globals->GetNoticeID(), Globals->GetAlertID());
    const TNoticesReply reply =
        ReadNoticesReply(seams::Seam<IIPCycleNetwork>::Get().HttpGet(Globals->SignURL(request)));
    if (reply.userRoot && !InternalIPWatcher().Enabled() && !ExternalIPWatcher().Enabled()) {
        ScheduleIPCheck(false, kStartWatching);
    }
    const bool rejectedBefore = std::exchange(noticesRejected_, false);
    switch (reply.kind) {
    case TNoticesReplyKind::User:
        ApplyNoticesUser(reply.user);
        return;
    case TNoticesReplyKind::Disabled:
        Globals->Log("Notice: Client ID disabled", false);
        StopForDisabledClientId();
        return;
    case TNoticesReplyKind::Rejected:
        noticesRejected_ = true;
        Globals->Log("Notices reply not usable (" + reply.rejection + "), will retry in " +
                         (rejectedBefore ? "60 minutes." : "60 seconds."),
                     false);
        ScheduleNoticeFetch(rejectedBefore ? kRejectedAgainFetch : kRetryFetch);
        return;
    case TNoticesReplyKind::NotXml:
        break;
    }
    ScheduleNoticeFetch(kRetryFetch);
}

void TVEK::ApplyNoticesUser(const TNoticesUser& user) {
    if (user.enhanced) {
        Globals->SetEnhanced(*user.enhanced);
    }
    NoticeList = user.notices;
    if (user.remoteInterval) {
        Globals->SetRemoteInterval(*user.remoteInterval);
    }
    if (user.error) {
        SetLightImage(StatusLight::JvImageSquare2, LightFault);
    }
    // The account's address wins over an error mark.
    if (user.email) {
        SetControlText(IDC_VEK_LABEL11, "Account: " + *user.email);
        SetControlVisible(IDC_VEK_LABEL11, true);
        SetLightImage(StatusLight::JvImageSquare2, LightGood);
    } else {
        SetControlVisible(IDC_VEK_LABEL11, false);
    }
    ScheduleNoticeFetch(kNextDayFetch);
    NoticeForm->CurrentIndex = -1;
    NoticeForm->ShowNextNotice();
}

} // namespace vek
