// The service application run outside the service control manager: the dispatcher fails, and
// the main loop never runs, so no timer of the module (its first IP check) ever ticks.
#include <gtest/gtest.h>

#include "classlib/ServiceApplication.h"
#include "classlib/Timer.h"

namespace {

class ProbeModule final : public vek::TService {
public:
    ProbeModule() : TService("VekProbeOutsideManager", "VekProbeOutsideManager") {}
    void ServiceStart(bool& started) override {
        startRan = true;
        started = true;
    }

    bool startRan = false;
    int ticks = 0;
    // Armed on creation, as the service module's Startup timer is.
    vek::TTimer startup{1, true, [this] { ++ticks; }};
};

TEST(ServiceApplication, OutsideTheManagerEndsWithinABoundAndRunsNothing) {
    ProbeModule module;
    vek::TServiceApplication application;
    const DWORD began = ::GetTickCount();
    EXPECT_EQ(application.Run(module), static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));
    const DWORD elapsed = ::GetTickCount() - began;
    // Windows fails the dispatcher at once; Wine's gives up after about 10 s.
    EXPECT_LT(elapsed, 20000u);
    EXPECT_FALSE(module.startRan);
    EXPECT_EQ(module.ticks, 0) << "after " << elapsed << " ms";
}

} // namespace
