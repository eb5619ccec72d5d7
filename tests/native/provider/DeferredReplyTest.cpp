// A deferred exchange whose reply another thread hands over: the connection ends on its own
// worker when it closes, whatever the handing thread still holds; ending it on the handing
// thread would touch the worker's connections from two threads at once.
#include "provider/HttpListener.h"
#include "tests/native/provider/TestClient.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace vek::provider::test {
namespace {

using Clock = std::chrono::steady_clock;

TEST(DeferredReply, TheThreadThatHandsTheReplyOverKeepsNoConnection) {
    Limits limits;
    limits.connectionsPerPeer = 1; // a second connection is admitted once the first has ended
    ServerLog log(false);
    ConnectionLimiter limiter(limits, log);
    std::promise<ReplySink> handed;
    std::promise<void> release;
    // Hands the reply over, then holds on to the sink until the test ends.
    std::thread handing([sink = handed.get_future(), released = release.get_future()]() mutable {
        if (sink.wait_for(std::chrono::seconds(2)) != std::future_status::ready)
            return;
        ReplySink reply = sink.get();
        reply({200, "later\n"});
        released.wait();
    });
    Routes routes;
    routes.AddDeferred("/later", [&handed](const HttpRequest&, ReplySink sink) {
        handed.set_value(std::move(sink));
    });
    routes.Add("/now", [](const HttpRequest&) { return Reply{200, "now\n"}; });
    IoPool pool(1);
    HttpListener listener(pool, limiter, {"test", limits, log}, {&routes}, nullptr);
    const Endpoint server = listener.Bind({"127.0.0.1", 0});
    pool.Start();
    listener.Start();

    EXPECT_EQ(HttpGet(server, "/later").body, "later\n"); // the server closes after the reply
    // The first connection has ended (on its worker, a moment after it closed): the peer's one
    // place is free again.
    std::string second;
    for (const auto until = Clock::now() + std::chrono::seconds(1);
         second != "now\n" && Clock::now() < until;) {
        second = HttpGet(server, "/now").body;
    }
    EXPECT_EQ(second, "now\n");

    release.set_value();
    handing.join();
    listener.Close();
    pool.Stop();
}

} // namespace
} // namespace vek::provider::test
