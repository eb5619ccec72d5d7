#pragma once
// The service module in-process: a core with its settings in the test's key and its log in a
// private folder, the fake clock and timers, the scripted network and window lookup. Nothing
// has ticked yet: the Startup timer is due in 50 ms.
#include "Main/service/VEKService.h"
#include "tests/win/support/AdapterFakes.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/CycleFakes.h"
#include "tests/win/support/CycleObservers.h"
#include "tests/win/support/FakeClock.h"
#include "tests/win/support/FakeTimerScheduler.h"
#include "tests/win/support/ScopedGlobals.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vek::testing {

class ServiceCycleTest : public CoreTest {
public:
    static constexpr char kUpdateServer[] = "192.0.2.10:8080";
    static constexpr char kClientId[] = "client-7";
    static constexpr char kClientKey[] = "0123456789abcdef";
    static constexpr char kUpdateList[] = "h[]=a.example&g[]=home";
    static constexpr char kAddress[] = "198.51.100.7";
    static constexpr char kOtherAddress[] = "203.0.113.5";
    static constexpr char kLocalAddress[] = "192.0.2.77";

protected:
    void SetUp() override;

    // The signed update request for the stored list and id and the given address.
    std::string UpdateRequest(const std::string& address, const std::string& list = kUpdateList);
    // The lines logged since the last call (the start line left out), without their timestamps.
    std::vector<std::string> TakeLogLines();
    // "off", "external <interval>" or "internal <interval>", checked against the scheduler.
    std::string Watching();
    // The first check: the Startup tick with one scripted answer and reply.
    void RunFirstCheck(const std::string& answer, const std::string& reply = "a.example:1");
    // Fires the one armed watcher, wherever it is due.
    void FireWatcher();
    void SetHeartbeatMinutesAgo(double minutes);

    FakeClock clock;
    FakeTimerScheduler scheduler{clock};
    FakeWindows windows;
    ScriptedNetwork network;
    std::shared_ptr<std::vector<std::string>> adapters =
        std::make_shared<std::vector<std::string>>(std::vector<std::string>{kLocalAddress});
    std::unique_ptr<TVEKGlobals> globals;
    std::optional<ScopedGlobals> installedGlobals;
    std::unique_ptr<TTarvoVEKService3> module;

private:
    LogLineReader log_{LogFile("VEK.log")};
};

} // namespace vek::testing
