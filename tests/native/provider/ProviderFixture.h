#pragma once
// A running provider for one test: a fresh data folder, every server on a free loopback port,
// and an account "user@example.com" with hosts, a group and a registered client.
#include "provider/Provider.h"
#include "provider/Store.h"
#include "tests/native/provider/TestClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vek::provider::test {

inline constexpr const char* kEmail = "user@example.com";
inline constexpr const char* kPassword = "right pass&=%+";
// The fixture's password hashes: quick, since each test hashes a few.
inline constexpr int kTestPasswordIterations = 1000;

// A fresh folder under /tmp, removed with everything in it at the end of its scope.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class ProviderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Store& store() { return provider_->store(); }
    // A signed GET of the target to the update server over HTTP.
    HttpReply Signed(const std::string& target, const std::string& userAgent = kUserAgent);
    // The stored address of a host ("" when never set).
    std::string AddressOf(const std::string& host);

    TempDir dataDir_;
    std::unique_ptr<Provider> provider_;
    BoundEndpoints bound_;
    ClientCredentials client_;
    bool logRequests_ = false;
};

} // namespace vek::provider::test
