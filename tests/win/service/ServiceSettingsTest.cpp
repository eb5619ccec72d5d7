// The service without settings (no ServiceUser in the machine-wide key): nothing is checked, the
// start is refused with a service-specific exit code, and a line says why in the service's own
// "Service.log".
#include "Main/core/ShellFolders.h"
#include "Main/service/VEKService.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/CycleFakes.h"
#include "tests/win/support/FakeClock.h"
#include "tests/win/support/FakeTimerScheduler.h"
#include "tests/win/support/ScopedGlobals.h"

namespace vek::testing {
namespace {

TEST(ServiceWithoutSettings, ChecksNothingAndRefusesToStartWithAnExitCode) {
    ServiceUserGuard noServiceUser;
    ServiceLogFolderGuard serviceLog;
    FakeClock clock;
    FakeTimerScheduler scheduler(clock);
    FakeWindows windows;
    windows.clientRunning = true;
    ScriptedNetwork network;

    TVEKGlobals globals(TVEKGlobalsOptions{{"-service"}, nullptr});
    const ScopedGlobals installed(globals);
    ASSERT_FALSE(globals.SettingsOpen());
    {
        TTarvoVEKService3 module;
        EXPECT_FALSE(module.Startup.Enabled());
        scheduler.Advance(60000);
        EXPECT_TRUE(network.boundIPs.empty());

        bool started = true;
        module.ServiceStart(started);
        EXPECT_FALSE(started);
        EXPECT_EQ(module.ErrCode, TTarvoVEKService3::kSettingsUnavailable);
        EXPECT_TRUE(windows.timedMessages.empty());
    }

    const std::string log = ReadFileBytes(ServiceLogFolder() + "Service.log");
    EXPECT_NE(log.find(": Service settings unavailable: no ServiceUser is stored or its settings "
                       "key cannot be opened.\r\n"),
              std::string::npos)
        << log;
    EXPECT_FALSE(RawKeyExists(HKEY_USERS, kSettingsPath));
}

} // namespace
} // namespace vek::testing
