#include "Main/core/IPCheckCycle.h"

#include "Main/core/ProviderUrls.h"
#include "Main/core/VEKGlobals.h"
#include "common/DottedQuad.h"
#include "common/UpdateReply.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace vek {
namespace {

class GlobalsNetwork final : public IIPCycleNetwork {
public:
    std::string GetRemoteIP(const std::string& boundIP) override {
        return Globals->GetRemoteIP(boundIP);
    }
    // The update goes out as plain HTTP from the system's default source address, whatever
    // adapter the detection uses.
    std::string HttpGet(const std::string& url) override {
        return Globals->HttpGet(url, "", false);
    }
};

IIPCycleNetwork& Network() { return seams::Seam<IIPCycleNetwork>::Get(); }

// Marks a check under way for its whole length, whichever way it ends.
class CheckUnderWayScope {
public:
    explicit CheckUnderWayScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~CheckUnderWayScope() { flag_ = false; }
    CheckUnderWayScope(const CheckUnderWayScope&) = delete;
    CheckUnderWayScope& operator=(const CheckUnderWayScope&) = delete;

private:
    bool& flag_;
};

std::string BoundAddress() {
    const std::int32_t index = Globals->GetAdapter();
    const std::vector<std::string>& adapters = Globals->GetAdapterList(false);
    if (index < 0 || static_cast<std::size_t>(index) >= adapters.size()) {
        return std::string();
    }
    return adapters[static_cast<std::size_t>(index)];
}

} // namespace

TIPCheckCycle::TIPCheckCycle(IIPCheckHooks& hooks, UINT externalInterval)
    : InternalIPWatcher(kInternalInterval, false, [this] { InternalIPWatcherTimer(); }),
      ExternalIPWatcher(externalInterval, false, [this] { ExternalIPWatcherTimer(); }),
      hooks_(hooks) {}

void TIPCheckCycle::StopIPWatchers() {
    ExternalIPWatcher.SetEnabled(false);
    InternalIPWatcher.SetEnabled(false);
}

void TIPCheckCycle::ScheduleIPCheck(bool internal, UINT interval) {
    StopIPWatchers();
    TTimer& watcher = internal ? InternalIPWatcher : ExternalIPWatcher;
    watcher.SetInterval(interval);
    watcher.SetEnabled(true);
    hooks_.WatchScheduled(internal, interval);
}

void TIPCheckCycle::CheckIP() {
    if (checking_) {
        checkAskedMeanwhile_ = true;
        return;
    }
    RunCheckingHandler([this] { RunCheck(); });
}

void TIPCheckCycle::ExternalIPWatcherTimer() {
    RunCheckingHandler([this] {
        // Deferred, the watcher keeps ticking with its interval.
        if (!hooks_.StandAside()) {
            RunCheck();
        }
    });
}

void TIPCheckCycle::InternalIPWatcherTimer() {
    RunCheckingHandler([this] {
        if (hooks_.StandAside()) {
            return;
        }
        if (IsLocalAddress(Globals->CurrentIP)) {
            hooks_.AddressStillLocal();
            ScheduleIPCheck(true, kInternalInterval);
            return;
        }
        RunCheck();
    });
}

void TIPCheckCycle::RunHandler(const std::function<void()>& body) {
    try {
        body();
        return;
    } catch (const std::exception& error) {
        hooks_.Log(std::string("Error in IP check: ") + error.what(), true);
    } catch (...) {
        hooks_.Log("Error in IP check: unknown error", true);
    }
    // An error must not leave watching off for good; an arming made before it stands.
    if (!InternalIPWatcher.Enabled() && !ExternalIPWatcher.Enabled()) {
        ScheduleIPCheck(false, kHandlerErrorRetry);
    }
}

// Inside a check (a nested tick), the check asked for waits for the outer one to end.
void TIPCheckCycle::RunCheckingHandler(const std::function<void()>& body) {
    RunHandler(body);
    while (!checking_ && std::exchange(checkAskedMeanwhile_, false)) {
        RunHandler([this] { RunCheck(); });
    }
}

bool TIPCheckCycle::IsLocalAddress(const std::string& address) {
    const std::vector<std::string>& adapters = Globals->GetAdapterList(false);
    return std::find(adapters.begin(), adapters.end(), address) != adapters.end();
}

void TIPCheckCycle::RunCheck() {
    // A check that waits for its reply keeps the desktop's messages flowing, so a watcher tick
    // could come inside it; the one under way arms the next check itself.
    if (checking_) {
        return;
    }
    const CheckUnderWayScope underWay(checking_);
    StopIPWatchers();
    hooks_.CheckStarting();
    const std::string previous = Globals->CurrentIP;
    hooks_.Log("Checking Remote IP address", true);
    const std::string answer = Network().GetRemoteIP(BoundAddress());
    if (!CheckSucceeded(answer)) {
        return;
    }
    // The address held now may have been emptied during the check (host selection, account
    // dialog) to force a submission.
    const bool changed = answer != previous || answer != Globals->CurrentIP;
    Globals->SetCurrentIP(answer);
    const bool local = IsLocalAddress(answer);
    if (local) {
        ScheduleIPCheck(true, kInternalInterval);
    } else {
        ScheduleIPCheck(false, static_cast<UINT>(Globals->GetRemoteInterval()));
    }
    hooks_.AddressFound(answer, local);
    if (changed) {
        hooks_.Log("IP changed, submitting updates", true);
        SubmitUpdates();
    } else if (submissionDue_) {
        hooks_.Log("Previous update not confirmed, submitting updates again", true);
        SubmitUpdates();
    }
}

bool TIPCheckCycle::CheckSucceeded(const std::string& answer) {
    const bool dottedQuad = IsDottedQuad(answer);
    const bool privateAddress = dottedQuad && Globals->IsPrivateIP(answer);
    if (dottedQuad && !privateAddress) {
        return true;
    }
    hooks_.CheckFailed();
    ScheduleIPCheck(false, kFailedCheckRetry);
    // A private address means this detection method sees the local network: use the other one.
    if (privateAddress) {
        Globals->SetAlternateIP(!Globals->GetAlternateIP());
    }
    return false;
}

void TIPCheckCycle::SubmitUpdates() {
    const std::string list = Globals->GetUpdateListWithoutMissing();
    hooks_.SubmitStarting();
    std::string reply;
    // With nothing selected there is nothing to submit, now or later.
    submissionDue_ = !list.empty();
    if (!list.empty()) {
        const std::string request =
            UpdateUrl(Globals->Endpoints, list, Globals->GetCID(), Globals->CurrentIP);
        reply = Network().HttpGet(Globals->SignURL(request));
    }
    int good = 0;
    int bad = 0;
    hooks_.ReplyArrived();
    if (IsNoAnswerReply(reply)) {
        ScheduleIPCheck(false, kNoAnswerRetry);
        hooks_.NoAnswer();
    } else {
        for (const UpdateReplyLine& line : ParseUpdateReply(reply)) {
            if (line.code) {
                ActOnReplyLine(line.name, *line.code, good, bad);
            }
        }
    }
    hooks_.Log("GoodUpdateCount=" + std::to_string(good) + ",BadUpdatecount=" + std::to_string(bad),
               false);
    hooks_.UpdatesCounted(good);
    if (good > 0) {
        submissionDue_ = false;
    }
}

void TIPCheckCycle::ActOnReplyLine(const std::string& name, int code, int& good, int& bad) {
    switch (code) {
    case 0:
    case 1:
    case 11:
    case 12:
        ++good;
        return;
    case 2:
    case 8:
    case 10:
        ++bad;
        Globals->AddMissingHost(name);
        return;
    case 3:
    case 4:
        StopIPWatchers();
        hooks_.AccountRejected();
        hooks_.Log("Invalid username or password.", true);
        return;
    case 5:
        ScheduleIPCheck(false, kServerErrorRetry);
        hooks_.ServerError();
        hooks_.Log("Update server internal error, will retry in 30 minutes.", true);
        return;
    case 6:
    case 7:
        StopIPWatchers();
        hooks_.AccountRejected();
        hooks_.Log("User banned, client disabled.", true);
        return;
    case 98:
        hooks_.ClientIdDisabled(*this);
        return;
    case 99:
        StopIPWatchers();
        hooks_.Log("Update client banned, please update to latest version.", true);
        return;
    default:
        return;
    }
}

} // namespace vek

namespace seams {
VEK_DEFAULT_SEAM(vek::IIPCycleNetwork, vek::GlobalsNetwork)
} // namespace seams
