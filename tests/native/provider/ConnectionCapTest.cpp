// The total connection limit against peers that hold connections without a word: a first request
// is bounded from the accept, and at the limit the connections idle longest make room for
// newcomers, while one in the middle of a request is never closed for it. The transport runs in
// this process with small limits of its own.
#include "provider/HttpListener.h"
#include "tests/native/provider/TestClient.h"
#include "tests/native/provider/TestPeer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vek::provider::test {
namespace {

using Clock = std::chrono::steady_clock;

// One worker that answers "/now" at once, under the limits given.
class SmallServer {
public:
    explicit SmallServer(const Limits& limits)
        : limits_(limits), limiter_(limits_, log_),
          listener_(pool_, limiter_, {"test", limits_, log_}, {&routes_}, nullptr) {
        routes_.Add("/now", [](const HttpRequest&) { return Reply{200, "now\n"}; });
        endpoint = listener_.Bind({"127.0.0.1", 0});
        pool_.Start();
        listener_.Start();
    }
    ~SmallServer() {
        listener_.Close();
        pool_.Stop();
    }

    Endpoint endpoint;

private:
    const Limits limits_;
    ServerLog log_{false};
    ConnectionLimiter limiter_;
    Routes routes_;
    IoPool pool_{1};
    HttpListener listener_;
};

constexpr const char* kRequest = "GET /now HTTP/1.1\r\nHost: x\r\n\r\n";
constexpr const char* kRequestHead = "GET /now HTTP/1.1\r\nHost: x\r\n"; // its end to come

Limits CapOf(std::size_t connections) {
    Limits limits;
    limits.connections = connections;
    return limits;
}

TEST(ConnectionCap, ASilentConnectionIsClosedAtTheRequestDeadlineFromItsAccept) {
    Limits limits;
    limits.requestHead = std::chrono::milliseconds(200); // the idle time after a reply stays 30 s
    SmallServer server(limits);
    Peer silent(server.endpoint, "127.0.0.50");
    const auto start = Clock::now();
    EXPECT_TRUE(silent.ClosedByServer());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

TEST(ConnectionCap, AtTheCapTheConnectionsIdleLongestMakeRoomButNoneInTheMiddleOfARequest) {
    SmallServer server(CapOf(3));
    Peer silent(server.endpoint, "127.0.0.50"); // idle since its accept
    Peer midRequest(server.endpoint, "127.0.0.50");
    ASSERT_TRUE(midRequest.Send(kRequestHead));
    Peer keptAlive(server.endpoint, "127.0.0.50"); // idle since its reply, a little later
    ASSERT_TRUE(keptAlive.Send(kRequest));
    ASSERT_NE(keptAlive.Receive().find("now\n"), std::string::npos);
    const auto start = Clock::now();
    std::vector<std::unique_ptr<Peer>> newcomers;
    for (Peer* closed : {&silent, &keptAlive}) {
        newcomers.push_back(std::make_unique<Peer>(server.endpoint, "127.0.0.51"));
        ASSERT_TRUE(newcomers.back()->Send(kRequestHead));
        EXPECT_TRUE(closed->ClosedByServer());
    }
    Peer refused(server.endpoint, "127.0.0.51"); // none is idle now
    EXPECT_TRUE(refused.ClosedByServer());
    for (Peer* peer : {&midRequest, newcomers[0].get(), newcomers[1].get()}) {
        ASSERT_TRUE(peer->Send("\r\n"));
        EXPECT_NE(peer->Receive().find("now\n"), std::string::npos);
    }
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

} // namespace
} // namespace vek::provider::test
