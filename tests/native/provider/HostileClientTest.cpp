// The provider as a process of its own, facing hostile and crashing peers on loopback: slow and
// idle connections, oversize requests, pipelining, floods of registrations, a stop with SIGTERM
// and a kill under load. The hostile peers come from 127.0.0.50 and up (127.0.2.1 and up, or
// 127.0.3.1 and up, for many addresses), the good client from 127.0.0.1 or 127.0.0.9.
#include "tests/native/provider/ProviderFixture.h"

#include "common/UrlEncode.h"
#include "provider/Limits.h"
#include "provider/Sqlite.h"
#include "provider/probe/ProviderProcess.h"
#include "tests/native/provider/TestPeer.h"

#include <openssl/ssl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

namespace vek::provider::test {
namespace {

using Clock = std::chrono::steady_clock;
using probe::ProviderProcess;

constexpr long kPeakMemoryLimitKiB = 50 * 1024;
constexpr long kIdleHttpsPeakLimitKiB = 32 * 1024;

// A TLS session over a Peer that does not check the server's certificate (the registration
// tests do); every wait on it is bounded to 10 s, since a reply waits for a password check, which
// a loaded machine runs slowly.
class TlsPeer {
public:
    TlsPeer(SSL_CTX* context, const Endpoint& server, const std::string& source)
        : peer_(server, source), ssl_(SSL_new(context)) {
        const timeval bound{10, 0};
        setsockopt(peer_.fd(), SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
        setsockopt(peer_.fd(), SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
        SSL_set_fd(ssl_, peer_.fd());
        connected_ = peer_.connected() && SSL_connect(ssl_) == 1;
    }
    TlsPeer(const TlsPeer&) = delete;
    TlsPeer& operator=(const TlsPeer&) = delete;
    ~TlsPeer() { SSL_free(ssl_); }

    bool Send(const std::string& bytes) {
        return connected_ && SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size())) ==
                                 static_cast<int>(bytes.size());
    }
    // The status of the reply's head, or 0 when none arrived.
    int ReplyStatus() {
        std::string received;
        char buffer[4096];
        while (received.find("\r\n\r\n") == std::string::npos) {
            const int n = SSL_read(ssl_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            received.append(buffer, static_cast<std::size_t>(n));
        }
        return received.rfind("HTTP/1.1 ", 0) == 0 ? std::stoi(received.substr(9, 3)) : 0;
    }

private:
    Peer peer_;
    SSL* ssl_;
    bool connected_ = false;
};

// Raises this process's open-file limit to `wanted` when its hard limit allows; the provider
// raises its own.
bool RaiseOpenFileLimit(rlim_t wanted) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_max < wanted)
        return false;
    limit.rlim_cur = std::max(limit.rlim_cur, wanted);
    return setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

// `count` source addresses, each `perAddress` times in a row: 127.0.<net>.1 and up.
std::vector<std::string> Sources(std::size_t count, std::size_t perAddress, int net) {
    std::vector<std::string> sources;
    for (std::size_t i = 0; i < count; ++i) {
        sources.push_back("127.0." + std::to_string(net) + "." +
                          std::to_string(1 + i / perAddress));
    }
    return sources;
}

class HostileClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        {
            Store store(PrepareDataDir(dataDir_.path()));
            store.AddAccount(kEmail, kPassword);
            for (int i = 0; i < 8; ++i)
                store.AddHost(kEmail, Host(i));
            client_ = store.IssueClient(kEmail);
        }
        provider_.emplace(VEK_PROVIDER_PROGRAM, dataDir_.path());
    }

    static std::string Host(int i) { return "h" + std::to_string(i) + ".user.example"; }
    std::string UpdateTarget(int host, const std::string& ip) const {
        return SignedTarget(
            "/vekupdate.php?h[]=" + Host(host) + "&email=" + client_.id + "&ip=" + ip, client_.key);
    }
    std::string UpdateRequest(int host, const std::string& ip) const {
        return "GET " + UpdateTarget(host, ip) +
               " HTTP/1.1\r\nHost: x\r\nUser-Agent: " + kUserAgent + "\r\n\r\n";
    }
    std::string StoredAddress(int host) {
        for (const auto& status : Store(dataDir_.path() + "/provider.sqlite3").ListHosts(kEmail)) {
            if (status.name == Host(host))
                return status.address;
        }
        return "not listed";
    }
    // Connections that have sent part of a request head, from 127.0.0.50.
    std::vector<std::unique_ptr<Peer>> Tricklers(int count) {
        std::vector<std::unique_ptr<Peer>> peers;
        for (int i = 0; i < count; ++i) {
            peers.push_back(std::make_unique<Peer>(provider_->http, "127.0.0.50"));
            peers.back()->Send("GET /vekupdate.php HTTP/1.1\r\nX-Slow: ");
        }
        return peers;
    }

    // Registrations with the right password sent over TLS, one from each source address given,
    // their replies not yet read.
    std::vector<std::unique_ptr<TlsPeer>> Registrations(const std::vector<std::string>& sources) {
        const std::string request = "GET /client/register.php?email=" + URLEncode(kEmail) +
                                    "&pass=" + URLEncode(kPassword) +
                                    " HTTP/1.1\r\nHost: localhost\r\n\r\n";
        std::vector<std::unique_ptr<TlsPeer>> peers;
        for (const auto& source : sources) {
            peers.push_back(std::make_unique<TlsPeer>(tls_.get(), provider_->https, source));
            EXPECT_TRUE(peers.back()->Send(request)) << source;
        }
        return peers;
    }

    TempDir dataDir_;
    ClientCredentials client_;
    std::optional<ProviderProcess> provider_;
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> tls_{SSL_CTX_new(TLS_client_method()),
                                                           &SSL_CTX_free};
};

TEST_F(HostileClientTest, SlowAndIdlePeersDoNotDelayAGoodUpdate) {
    auto tricklers = Tricklers(64);
    std::vector<std::unique_ptr<Peer>> idle;
    for (int i = 0; i < 500; ++i) {
        idle.push_back(
            std::make_unique<Peer>(provider_->http, "127.0.0." + std::to_string(51 + i / 100)));
        ASSERT_TRUE(idle.back()->connected()) << i;
    }
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        while (!done) {
            for (auto& peer : tricklers)
                peer->Send("x");
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const auto start = Clock::now();
    const auto reply =
        HttpGet(provider_->http, UpdateTarget(0, "203.0.113.7"), kUserAgent, "127.0.0.1");
    const auto elapsed = Clock::now() - start;
    done = true;
    trickle.join();
    EXPECT_EQ(reply.body, Host(0) + ":1\n");
    EXPECT_LT(elapsed, std::chrono::seconds(1));
}

TEST_F(HostileClientTest, ConnectionsBeyondThePerPeerLimitAreClosedAtOnce) {
    std::vector<std::unique_ptr<Peer>> held;
    for (std::size_t i = 0; i < Limits{}.connectionsPerPeer; ++i)
        held.push_back(std::make_unique<Peer>(provider_->echoHttp[0], "127.0.0.60"));
    Peer beyond(provider_->echoHttp[0], "127.0.0.60");
    EXPECT_TRUE(beyond.ClosedByServer());
    // Another address is served as before.
    EXPECT_EQ(HttpGet(provider_->echoHttp[0], "/ip.php", kUserAgent, "127.0.0.61").body,
              "127.0.0.61");
}

TEST_F(HostileClientTest, OversizeRequestsAreRefusedWithinBoundedMemory) {
    const std::string flood = [] {
        std::string lines;
        for (int i = 0; i < 4096; ++i)
            lines += "X-Flood: 1\r\n";
        return lines;
    }();
    const std::string chunk = "10000\r\n" + std::string(0x10000, 'b') + "\r\n";
    struct Case {
        const char* name;
        std::string head;
        const std::string& repeated;
        std::size_t times; // 200 MB of chunks, 2,000,000 header lines
        const char* status;
    };
    const Case cases[] = {
        {"chunked body",
         "GET /vekupdate.php HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n", chunk,
         3200, "413"},
        {"header flood", "GET /vekupdate.php HTTP/1.1\r\nHost: x\r\n", flood, 489, "431"},
    };
    for (const auto& c : cases) {
        Peer peer(provider_->http, "127.0.0.70");
        peer.Send(c.head);
        for (std::size_t i = 0; i < c.times && peer.Send(c.repeated); ++i) {
        }
        const std::string reply = peer.Receive();
        // The refusal, unless the connection was reset before it could be read.
        EXPECT_TRUE(reply.empty() || reply.rfind(std::string("HTTP/1.1 ") + c.status, 0) == 0)
            << c.name << ": " << reply.substr(0, 40);
    }
    EXPECT_EQ(HttpGet(provider_->http, UpdateTarget(1, "203.0.113.7")).body, Host(1) + ":1\n");
#ifndef VEK_SANITIZED // the sanitizers' shadow memory would count
    EXPECT_LT(provider_->PeakMemoryKiB(), kPeakMemoryLimitKiB);
#endif
}

TEST_F(HostileClientTest, PipelinedUpdatesAreBothAppliedAndAnsweredInOrder) {
    Peer peer(provider_->http, "127.0.0.1");
    ASSERT_TRUE(peer.Send(UpdateRequest(2, "198.51.100.2") + UpdateRequest(3, "198.51.100.3")));
    const std::string replies = peer.Receive(2);
    const auto first = replies.find(Host(2) + ":1\n");
    const auto second = replies.find(Host(3) + ":1\n");
    ASSERT_NE(first, std::string::npos) << replies;
    ASSERT_NE(second, std::string::npos) << replies;
    EXPECT_LT(first, second);
    EXPECT_EQ(StoredAddress(2), "198.51.100.2");
    EXPECT_EQ(StoredAddress(3), "198.51.100.3");
}

TEST_F(HostileClientTest, OperatorWritesFromAnotherProcessReachTheRunningServers) {
    const auto hostList = [this] {
        return HttpGet(provider_->http,
                       SignedTarget("/list-hosts.php?email=" + client_.id, client_.key))
            .body;
    };
    const std::string before = hostList();
    Store(dataDir_.path() + "/provider.sqlite3").AddHost(kEmail, "late.user.example");
    EXPECT_EQ(hostList(), before.substr(0, before.size() - 1) + "|#,late.user.example\n");
    EXPECT_EQ(HttpGet(provider_->http, UpdateTarget(5, "203.0.113.5")).body, Host(5) + ":1\n");
    EXPECT_EQ(StoredAddress(5), "203.0.113.5");
}

TEST_F(HostileClientTest, SigtermStopsTheProviderWithinTwoSecondsWhateverItsPeersDo) {
    auto tricklers = Tricklers(64);
    Peer idle(provider_->https, "127.0.0.51"); // a TLS peer that never says hello
    Peer pending(provider_->http, "127.0.0.52");
    pending.Send(UpdateRequest(4, "198.51.100.4"));
    const auto status = provider_->StopWith(SIGTERM, std::chrono::seconds(2));
    ASSERT_TRUE(status) << "still running 2 s after SIGTERM";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    Database store(dataDir_.path() + "/provider.sqlite3");
    auto check = store.Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.Text(0), "ok");
}

TEST_F(HostileClientTest, SigtermDropsTheRegistrationsWaitingForTheirPasswordCheck) {
    if (!RaiseOpenFileLimit(1200))
        GTEST_SKIP() << "the open-file limit cannot be raised to 1200 for 1000 connections";
    // 1000 checks take about 25 s on two threads; the queue cannot run down before the stop.
    // Each address sends as many as may wait.
    const auto waiting = Registrations(Sources(1000, Limits{}.passwordChecksPerPeer, 2));
    const auto status = provider_->StopWith(SIGTERM, std::chrono::seconds(2));
    ASSERT_TRUE(status) << "still running 2 s after SIGTERM";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
}

TEST_F(HostileClientTest, OneAddressFloodingRegistrationsDoesNotDelayAnother) {
    // One password check alone, as this machine runs it now: a loaded machine (or the sanitizers'
    // build) can take longer than the second the bound allows for one.
    const auto aloneStart = Clock::now();
    EXPECT_EQ(Registrations({"127.0.0.10"}).front()->ReplyStatus(), 200);
    const auto alone = Clock::now() - aloneStart;
    // As many as one address may connect; those beyond its bound are refused at once.
    auto flood = Registrations(std::vector<std::string>(Limits{}.connectionsPerPeer, "127.0.0.80"));
    const auto start = Clock::now();
    const auto other = Registrations({"127.0.0.9"});
    EXPECT_EQ(other.front()->ReplyStatus(), 200);
    // Taking turns by address, the newcomer waits at most for the checks running now; behind the
    // flood's waiting checks it would wait for four checks at least (8 waiting, 2 threads).
    const auto bound = std::max<Clock::duration>(std::chrono::seconds(1), alone * 5 / 2);
    EXPECT_LT(Clock::now() - start, bound);
    std::map<int, int> statuses;
    for (auto& peer : flood)
        ++statuses[peer->ReplyStatus()];
    EXPECT_GT(statuses[503], 0);
    EXPECT_EQ(statuses[200] + statuses[503], static_cast<int>(flood.size()));
}

TEST_F(HostileClientTest, IdleHttpsConnectionsHoldLittleMemory) {
#ifdef VEK_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory would count";
#endif
    if (!RaiseOpenFileLimit(1200))
        GTEST_SKIP() << "the open-file limit cannot be raised to 1200 for 1000 connections";
    // One I/O thread: once it has closed the probe below, it has served every earlier connection.
    provider_.emplace(VEK_PROVIDER_PROGRAM, dataDir_.path(),
                      std::vector<std::string>{"--threads", "1"});
    std::vector<std::unique_ptr<Peer>> idle;
    for (const auto& source : Sources(1000, 250, 3)) {
        idle.push_back(std::make_unique<Peer>(provider_->https, source));
        ASSERT_TRUE(idle.back()->connected());
    }
    Peer probe(provider_->https, "127.0.0.1");
    probe.Send("not a TLS hello\r\n\r\n");
    ASSERT_TRUE(probe.ClosedByServer());
    EXPECT_LT(provider_->PeakMemoryKiB(), kIdleHttpsPeakLimitKiB);
}

TEST_F(HostileClientTest, MemoryOfClosedConnectionsGoesBackToTheSystem) {
#ifdef VEK_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory would count";
#endif
    constexpr long kLeftOverKiB = 8 * 1024;
    const long before = provider_->ResidentMemoryKiB();
    {
        // After its handshake, each holds about 70 KB of TLS buffers in the provider.
        std::vector<std::unique_ptr<TlsPeer>> sessions;
        for (const auto& source : Sources(400, 200, 3))
            sessions.push_back(std::make_unique<TlsPeer>(tls_.get(), provider_->https, source));
        ASSERT_GT(provider_->ResidentMemoryKiB(), before + kLeftOverKiB);
    }
    // The provider looks for a burst of closes ten times a second.
    for (const auto until = Clock::now() + std::chrono::seconds(2);
         provider_->ResidentMemoryKiB() >= before + kLeftOverKiB && Clock::now() < until;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_LT(provider_->ResidentMemoryKiB(), before + kLeftOverKiB);
}

TEST_F(HostileClientTest, AKillUnderLoadLosesNoAcknowledgedUpdate) {
    // Each thread moves its own host through 10.0.<thread>.<n> one request at a time and notes
    // the last n acknowledged.
    constexpr int kThreads = 8;
    constexpr int kAcknowledgedBeforeKill = 20;
    std::array<std::atomic<int>, kThreads> acknowledged{};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            Peer peer(provider_->http, "127.0.0.1");
            for (int n = 1; n <= 250; ++n) {
                const std::string ip = "10.0." + std::to_string(t) + "." + std::to_string(n);
                if (!peer.Send(UpdateRequest(t, ip)) ||
                    peer.Receive().find(Host(t) + ":1\n") == std::string::npos) {
                    return;
                }
                acknowledged[t] = n;
            }
        });
    }
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline &&
           std::any_of(acknowledged.begin(), acknowledged.end(),
                       [](const auto& n) { return n < kAcknowledgedBeforeKill; })) {
        std::this_thread::yield();
    }
    provider_->StopWith(SIGKILL, std::chrono::seconds(2));
    for (auto& thread : threads)
        thread.join();

    Database store(dataDir_.path() + "/provider.sqlite3");
    auto check = store.Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.Text(0), "ok");
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_GE(acknowledged[t], kAcknowledgedBeforeKill) << t;
        const std::string stored = StoredAddress(t);
        const std::string prefix = "10.0." + std::to_string(t) + ".";
        ASSERT_EQ(stored.rfind(prefix, 0), 0u) << stored;
        // The last acknowledged address, or the one sent after it.
        EXPECT_GE(std::stoi(stored.substr(prefix.size())), acknowledged[t].load()) << t;
        EXPECT_LE(std::stoi(stored.substr(prefix.size())), acknowledged[t].load() + 1) << t;
    }
}

} // namespace
} // namespace vek::provider::test
