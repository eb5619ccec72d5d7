#include "ServiceCycleFixture.h"

#include "ProviderUrls.h"

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

std::vector<std::string> ServiceCycleTest::TakeLogLines() {
    const std::string log = ReadFileBytes(LogFile("VEK.log"));
    std::vector<std::string> lines;
    std::size_t start = logRead_;
    for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = log.substr(start, end - start);
        // The timestamp's own separators are never followed by a blank.
        const std::size_t text = line.find(": ");
        if (text != std::string::npos && line.substr(text + 2) != "***Logging started.***") {
            lines.push_back(line.substr(text + 2));
        }
    }
    logRead_ = start;
    return lines;
}

std::string ServiceCycleTest::Watching() {
    TTimer& internal = module->InternalIPWatcher();
    TTimer& external = module->ExternalIPWatcher();
    EXPECT_FALSE(internal.Enabled() && external.Enabled()) << "both watchers enabled";
    EXPECT_EQ(scheduler.IsArmed(internal), internal.Enabled());
    EXPECT_EQ(scheduler.IsArmed(external), external.Enabled());
    if (external.Enabled()) {
        return "external " + std::to_string(external.Interval());
    }
    if (internal.Enabled()) {
        return "internal " + std::to_string(internal.Interval());
    }
    return "off";
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
