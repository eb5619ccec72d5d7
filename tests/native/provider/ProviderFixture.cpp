#include "tests/native/provider/ProviderFixture.h"

#include <filesystem>

namespace vek::provider::test {

TempDir::TempDir() {
    char pattern[] = "/tmp/provider-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp");
    path_ = pattern;
}

TempDir::~TempDir() { std::filesystem::remove_all(path_); }

void ProviderTest::SetUp() {
    ProviderConfig config;
    config.dataDir = dataDir_.path();
    config.http = {"127.0.0.1", 0};
    config.https = {"127.0.0.1", 0};
    config.echoHttp = {Endpoint{"127.0.0.2", 0}, Endpoint{"127.0.0.3", 0}};
    config.echoDns = {Endpoint{"127.0.0.2", 0}, Endpoint{"127.0.0.3", 0}};
    config.logRequests = logRequests_;
    config.passwordIterations = kTestPasswordIterations;
    provider_ = std::make_unique<Provider>(config);
    bound_ = provider_->Start();

    store().AddAccount(kEmail, kPassword);
    for (const char* host : {"home.user.example", "office.user.example", "cabin.user.example",
                             "-.user.example", "lake.other.example"}) {
        store().AddHost(kEmail, host);
    }
    store().AddGroup(kEmail, "family", {"home.user.example", "cabin.user.example"});
    store().AddGroup(kEmail, "all", {"home.user.example"});
    client_ = store().IssueClient(kEmail);
}

void ProviderTest::TearDown() { provider_.reset(); }

HttpReply ProviderTest::Signed(const std::string& target, const std::string& userAgent) {
    return HttpGet(bound_.http, SignedTarget(target, client_.key), userAgent);
}

std::string ProviderTest::AddressOf(const std::string& host) {
    for (const auto& status : store().ListHosts(kEmail)) {
        if (status.name == host)
            return status.address;
    }
    return "not listed";
}

} // namespace vek::provider::test
