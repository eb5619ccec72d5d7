// TVEKGlobals::Unregister: nothing sent without a client id and key; otherwise the signed URL
// with the id unencoded, checked against an HMAC computed outside the program.
#include "NetTestSupport.h"

#include "WinHandles.h"

#include <gtest/gtest.h>

namespace vek::testing {
namespace {

// A listener that a test points the update server at, to see whether anything connects.
class WatchedPort {
public:
    WatchedPort() {
        ::WSAStartup(MAKEWORD(2, 2), &data_);
        socket_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int length = sizeof local;
        ::bind(socket_.get(), reinterpret_cast<sockaddr*>(&local), sizeof local);
        ::listen(socket_.get(), 4);
        ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&local), &length);
        address_ = "127.0.0.1:" + std::to_string(::ntohs(local.sin_port));
    }
    ~WatchedPort() {
        socket_.reset();
        ::WSACleanup();
    }
    const std::string& Address() const { return address_; }
    bool ConnectionWaiting() {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_.get(), &readable);
        timeval none{0, 0};
        return ::select(0, &readable, nullptr, nullptr, &none) > 0;
    }

private:
    WSADATA data_{};
    UniqueSocket socket_;
    std::string address_;
};

struct MissingCase {
    const char* name;
    const char* clientId;
    const char* clientKey;
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.name; }

class UnregisterWithout : public NetworkTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(UnregisterWithout, SendsNothing) {
    WatchedPort updateServer;
    globals->Endpoints.UpdateServer = updateServer.Address();
    globals->SetCID(GetParam().clientId);
    globals->SetCKey(GetParam().clientKey);
    globals->Unregister();
    EXPECT_FALSE(updateServer.ConnectionWaiting());
}

INSTANTIATE_TEST_SUITE_P(Settings, UnregisterWithout,
                         ::testing::Values(MissingCase{"ClientId", "", "net-test-key"},
                                           MissingCase{"ClientKey", "net-cid-17", ""},
                                           MissingCase{"Both", "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NetworkTest, UnregisterSendsTheSignedUrl) {
    globals->Endpoints.UpdateServer = "127.0.0.1:" + Servers().http;
    globals->SetCID("net-cid-17");
    globals->SetCKey("net-test-key");
    // Base64 of HMAC-SHA1("net-test-key", "/client/unregister.php?email=net-cid-17"), URL-encoded.
    const std::string target =
        "/client/unregister.php?email=net-cid-17&pass=HMAC{55m6U74P7PYL%2BB5obM1nm0FW2kM%3D}";
    const std::string count = "/count" + target;
    const int before = std::stoi(globals->HttpGet(HttpUrl(count), "", false));
    globals->Unregister();
    EXPECT_EQ(std::stoi(globals->HttpGet(HttpUrl(count), "", false)), before + 1);
}

} // namespace
} // namespace vek::testing
