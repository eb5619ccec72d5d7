// TVEKGlobals::Unregister: nothing sent without a client id and key; otherwise the signed URL
// with the id unencoded, checked against an HMAC computed outside the program.
#include "tests/win/network/NetTestSupport.h"

#include "tests/win/support/LoopbackSocket.h"

#include <gtest/gtest.h>

namespace vek::testing {
namespace {

struct MissingCase {
    const char* name;
    const char* clientId;
    const char* clientKey;
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.name; }

class UnregisterWithout : public NetworkTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(UnregisterWithout, SendsNothing) {
    // A listener that would see any connection.
    const LoopbackSocket updateServer(SOCK_STREAM);
    globals->Endpoints.UpdateServer = updateServer.Address();
    globals->SetCID(GetParam().clientId);
    globals->SetCKey(GetParam().clientKey);
    globals->Unregister();
    EXPECT_FALSE(updateServer.Readable());
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
