#pragma once
// The IP check and update cycle, one for both roles: the two watch timers, the check of the
// public address, the one signed update request for all selected hosts and groups, and the
// reply codes. The desktop client and the service differ only in what their hooks do.
//
// What the cycle guards against:
// - only an address in dotted IPv4 form counts as a good check; anything else fails the check
//   like an empty answer (only a private address switches the detection method);
// - an address whose update got no reply with a good line ("-1", codes 5 or 98, an HTTP status,
//   an empty reply, an error while sending) is submitted again at the next successful check;
// - a check cannot start inside another: a watcher tick meanwhile is dropped (the check under way
//   arms the next one itself), while CheckIP asked for meanwhile is remembered, and one more
//   check runs as soon as the current one ends (several asks make one check);
// - an error inside a handler is caught there and logged, and when it left both watchers off
//   the external check is armed at 10000 ms.
#include "classlib/Seams.h"
#include "classlib/Timer.h"

#include <functional>
#include <string>

namespace vek {

class TIPCheckCycle;

// The cycle's two network calls; the default asks Globals (detection, then plain HTTP without a
// bound address). Tests script them with seams::Seam<IIPCycleNetwork>::Override.
class IIPCycleNetwork {
public:
    virtual ~IIPCycleNetwork() = default;
    virtual std::string GetRemoteIP(const std::string& boundIP) = 0;
    virtual std::string HttpGet(const std::string& url) = 0;
};

// What the role does at each point of the cycle. The service implements them with its log lines
// only; the desktop client with its window (lights, labels, tray hint, menu items, count-down).
// A point where a role has nothing to do needs no override; Log and ClientIdDisabled every role
// must decide.
class IIPCheckHooks {
public:
    virtual ~IIPCheckHooks() = default;

    // Every log line of the cycle; statusEcho tells whether the desktop echoes it on the status
    // bar (the service never does).
    virtual void Log(const std::string& text, bool statusEcho) = 0;
    // Asked at each watcher tick before anything else: true defers the tick (the service while
    // the desktop client is active).
    virtual bool StandAside() { return false; }
    // A watcher was armed (the desktop's due time and count-down).
    virtual void WatchScheduled(bool /*internal*/, UINT /*interval*/) {}
    // The internal watcher found the address still on a local adapter (the desktop's IP light).
    virtual void AddressStillLocal() {}
    // First steps of a check, before detection (the desktop's "IP: Checking...", IP light,
    // message pump and 200 ms pause).
    virtual void CheckStarting() {}
    // The check failed, before the retry is armed: the role's log line (and the desktop's tray
    // hint, "IP: Error connecting to server", "Copy IP Address" items off, IP light).
    virtual void CheckFailed() {}
    // The check succeeded and the next one is armed (the desktop's items, light, tray hint,
    // address line and its "Remote IP Found: "/"Local IP Found: " line).
    virtual void AddressFound(const std::string& /*address*/, bool /*local*/) {}
    // An update submission begins (the desktop's update light).
    virtual void SubmitStarting() {}
    // The request has returned, or none was needed (the desktop's account light).
    virtual void ReplyArrived() {}
    // The reply was "-1"; the retry at 30000 ms is armed (the desktop's lights and log line).
    virtual void NoAnswer() {}
    // Codes 3, 4, 6, 7, before their log line (the desktop's account light).
    virtual void AccountRejected() {}
    // Code 5, before its log line (the desktop's IP and update lights).
    virtual void ServerError() {}
    // Code 98, the whole effect, which differs by role (the desktop stops, the service re-arms).
    virtual void ClientIdDisabled(TIPCheckCycle& cycle) = 0;
    // After the counts line (the desktop's update light and "Updated " line).
    virtual void UpdatesCounted(int /*good*/) {}
};

class TIPCheckCycle {
public:
    static constexpr UINT kInternalInterval = 5000;
    static constexpr UINT kFailedCheckRetry = 10000;
    static constexpr UINT kNoAnswerRetry = 30000;
    static constexpr UINT kServerErrorRetry = 1800000;
    static constexpr UINT kHandlerErrorRetry = 10000;

    // The watchers start disabled; externalInterval is the role's interval at creation (never
    // used as it stands: every arming sets the interval first).
    TIPCheckCycle(IIPCheckHooks& hooks, UINT externalInterval);
    TIPCheckCycle(const TIPCheckCycle&) = delete;
    TIPCheckCycle& operator=(const TIPCheckCycle&) = delete;

    TTimer InternalIPWatcher;
    TTimer ExternalIPWatcher;

    void StopIPWatchers();
    void ScheduleIPCheck(bool internal, UINT interval);
    // A check now; while one is under way, one more as soon as it ends. Safe to call from any
    // handler: no error leaves it.
    void CheckIP();
    void InternalIPWatcherTimer();
    void ExternalIPWatcherTimer();

    // Runs a handler's body, catching and logging whatever it raises.
    void RunHandler(const std::function<void()>& body);

    bool CheckUnderWay() const { return checking_; }
    // Whether the current address still waits for a reply with a good line.
    bool SubmissionDue() const { return submissionDue_; }

private:
    // A handler that may check: its body, then the check asked for meanwhile, if any.
    void RunCheckingHandler(const std::function<void()>& body);
    void RunCheck();
    bool CheckSucceeded(const std::string& answer);
    void SubmitUpdates();
    void ActOnReplyLine(const std::string& name, int code, int& good, int& bad);
    bool IsLocalAddress(const std::string& address);

    IIPCheckHooks& hooks_;
    bool checking_ = false;
    bool checkAskedMeanwhile_ = false;
    bool submissionDue_ = false;
};

} // namespace vek

namespace seams {
template <> vek::IIPCycleNetwork*& Seam<vek::IIPCycleNetwork>::Current();
}
