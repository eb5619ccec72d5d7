#include "tests/win/service/ServiceCycleFixture.h"

#include "Main/core/ProviderUrls.h"

namespace vek::testing {

void ServiceCycleTest::SetUp() {
    CoreTest::SetUp();
    globals = MakeGlobals({}, std::make_unique<FakeAdapters>(adapters));
    installedGlobals.emplace(*globals);
    globals->Endpoints.UpdateServer = kUpdateServer;
    globals->SetCID(kClientId);
    globals->SetCKey(kClientKey);
    globals->SetUpdateList(kUpdateList);
    module = std::make_unique<TTarvoVEKService3>();
}

std::string ServiceCycleTest::UpdateRequest(const std::string& address, const std::string& list) {
    return globals->SignURL(UpdateUrl(globals->Endpoints, list, kClientId, address));
}

std::vector<std::string> ServiceCycleTest::TakeLogLines() { return log_.Take(); }

std::string ServiceCycleTest::Watching() {
    return WatchingState(module->InternalIPWatcher(), module->ExternalIPWatcher(), scheduler);
}

void ServiceCycleTest::RunFirstCheck(const std::string& answer, const std::string& reply) {
    network.Answer(answer);
    network.replies.push_back(reply);
    scheduler.Advance(TTarvoVEKService3::kStartupInterval);
}

void ServiceCycleTest::FireWatcher() {
    ASSERT_NE(Watching(), "off");
    scheduler.FireNext();
}

void ServiceCycleTest::SetHeartbeatMinutesAgo(double minutes) {
    globals->SetLastVEKTime(clock.Now() - minutes / 1440.0);
}

} // namespace vek::testing
