#pragma once
// The background service's module: tells the desktop client when the service starts and stops,
// runs the IP check and update cycle on its own timers, and stands aside while the desktop client
// is active. The service application runs it; its timers tick on the main thread's loop.
#include "Main/core/IPCheckCycle.h"
#include "classlib/ServiceApplication.h"
#include "classlib/Timer.h"

namespace vek {

class TTarvoVEKService3 final : public TService, private IIPCheckHooks {
public:
    static constexpr UINT kExternalIntervalAtCreation = 300000;
    static constexpr UINT kStartupInterval = 50;
    static constexpr UINT kClientIdDisabledRetry = 3600000;
    // The longest the start and stop events wait for the desktop client to take their notice.
    static constexpr UINT kNotifyTimeout = 5000;
    // A heartbeat younger than this many whole minutes means the desktop client is active.
    static constexpr long long kClientActiveMinutes = 5;
    // Service-specific exit code: no settings key of the installing user could be opened.
    static constexpr DWORD kSettingsUnavailable = 1;

    TTarvoVEKService3();

    TTimer& InternalIPWatcher() { return cycle_.InternalIPWatcher; }
    TTimer& ExternalIPWatcher() { return cycle_.ExternalIPWatcher; }
    TTimer Startup;

    void ServiceStart(bool& started) override;
    void ServiceStop(bool& stopped) override;
    void NotifyClient(WPARAM wParam, LPARAM lParam);
    bool IsClientActive();
    void StartupTimer();

    TIPCheckCycle& Cycle() { return cycle_; }

private:
    void ReportSettingsUnavailable();

    // The cycle's hooks: the service's log lines, no window.
    void Log(const std::string& text, bool statusEcho) override;
    bool StandAside() override { return IsClientActive(); }
    void CheckFailed() override;
    void ClientIdDisabled(TIPCheckCycle& cycle) override;

    TIPCheckCycle cycle_;
};

} // namespace vek
