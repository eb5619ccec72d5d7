// provider_bench: the reference provider under load, as a process of its own on loopback.
// For 10, 1,000 and 100,000 hosts: signed update requests per second (each a store write) over
// 1, 8, 64 and 256 keep-alive connections, with latency, the server's CPU per update and its
// peak memory, beside the same SQL run directly in one thread on a copy of the store; then the
// HTTP echo's requests per second and the DNS echo's answers per second. Every phase is bounded
// in time; only loopback addresses are used.
#include "common/RequestSignature.h"
#include "provider/Crypto.h"
#include "provider/Names.h"
#include "provider/Provider.h"
#include "provider/Sqlite.h"
#include "provider/Store.h"
#include "provider/probe/LoadClient.h"
#include "provider/probe/ProviderProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using vek::provider::ClientCredentials;
using vek::provider::Endpoint;
using vek::provider::probe::LoadResult;
using vek::provider::probe::ProviderProcess;

constexpr const char* kEmail = "bench@example.com";
constexpr const char* kUserAgent = "VEK v3.0.4/6.1.7601";
constexpr int kHostCounts[] = {10, 1'000, 100'000};
constexpr std::size_t kConnectionCounts[] = {1, 8, 64, 256};
constexpr double kUpdateTarget = 15'000; // per second, from 8 to 256 connections
constexpr double kP99TargetMs = 20;      // at 64 connections
constexpr double kMemoryTargetMiB = 50;  // at every point
constexpr int kDnsThreadsPerServer = 2;
constexpr int kDnsBatch = 32;
constexpr long kMaxQueries = 20'000'000;

constexpr const char* kUsage =
    "usage: provider_bench [--provider PATH] [--seconds S] [--threads N]\n"
    "                      [--server-addresses UPDATE,ECHO1,ECHO2] [--source-address FIRST]\n"
    "  the servers bind free ports of those loopback addresses (127.0.0.1,127.0.0.2,127.0.0.3);\n"
    "  the load comes from FIRST (127.0.1.1) and the addresses after it, 32 connections each\n";

struct Options {
    std::string provider;
    double seconds = 2;
    std::vector<std::string> serveArgs; // e.g. "--threads", "4"
    vek::provider::probe::ServerAddresses servers;
    std::string firstSource = vek::provider::probe::kFirstSourceAddress;
};

struct Seeded {
    ClientCredentials client;
    std::int64_t accountId = 0;
};

std::string HostName(long index) { return "h" + std::to_string(index) + ".bench.example"; }

Seeded Seed(const std::string& dataDir, int hosts) {
    const std::string path = vek::provider::PrepareDataDir(dataDir);
    Seeded seeded;
    {
        vek::provider::Store store(path);
        seeded.accountId = store.AddAccount(kEmail, "bench-pass");
        seeded.client = store.IssueClient(kEmail);
    }
    vek::provider::Database db(path);
    vek::provider::WriteTransaction transaction(db);
    db.Prepare("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?2) "
               "INSERT INTO hosts (account_id, name) SELECT ?1, 'h' || i || '.bench.example' "
               "FROM n")
        .Bind(1, seeded.accountId)
        .Bind(2, std::int64_t{hosts})
        .Run();
    transaction.Commit();
    return seeded;
}

// The request's host and address: every connection walks over hosts of its own where there
// are enough, each round moving them to the other address, so each request changes one.
struct UpdatePlan {
    long hosts;
    std::size_t connections;

    long Host(std::size_t connection, std::uint64_t n) const {
        const long perConnection = std::max(1L, hosts / static_cast<long>(connections));
        return (static_cast<long>(connection) +
                static_cast<long>(connections) * static_cast<long>(n % perConnection)) %
               hosts;
    }
    const char* Address(std::size_t connection, std::uint64_t n) const {
        const long perConnection = std::max(1L, hosts / static_cast<long>(connections));
        return (n / perConnection + connection) % 2 ? "203.0.113.7" : "198.51.100.9";
    }
};

vek::provider::probe::Load UpdateLoad(const ClientCredentials& client, const UpdatePlan& plan) {
    return {[client, plan](std::size_t connection, std::uint64_t n) {
                const std::string target =
                    "/vekupdate.php?h[]=" + HostName(plan.Host(connection, n)) +
                    "&email=" + client.id + "&ip=" + plan.Address(connection, n);
                return "GET " + target +
                       vek::SignatureSuffix(vek::provider::HmacSha1Base64(client.key, target)) +
                       " HTTP/1.1\r\nHost: bench\r\nUser-Agent: " + kUserAgent + "\r\n\r\n";
            },
            [plan](std::size_t connection, std::uint64_t n, int status, std::string_view body) {
                const std::string host = HostName(plan.Host(connection, n));
                // Where connections share hosts, another may have moved it first.
                return status == 200 && (body == host + ":1\n" || body == host + ":0\n");
            }};
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The provider's SQL for each update request (the client and barred-version look-up, then the
// update), in one thread, one transaction per update.
struct DirectResult {
    double perSecond = 0;
    double cpuUs = 0;
};

DirectResult DirectSql(const std::string& path, const Seeded& seeded, int hosts, double seconds) {
    vek::provider::Store store(path);
    const UpdatePlan plan{hosts, 1};
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    const auto end = start + std::chrono::duration<double>(seconds);
    long done = 0;
    for (; Clock::now() < end; ++done) {
        const auto client = store.FindClient(seeded.client.id, "3.0.4");
        store.ApplyUpdate({client->accountId,
                           {{false, HostName(plan.Host(0, static_cast<std::uint64_t>(done)))}},
                           plan.Address(0, static_cast<std::uint64_t>(done)),
                           static_cast<std::int64_t>(std::time(nullptr))});
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    return {done / elapsed, (ThreadCpuSeconds() - cpuStart) / done * 1e6};
}

struct Verdicts {
    bool updates = true;
    bool p99 = true;
    bool memory = true;
};

void BenchUpdates(const Options& options, int hosts, Verdicts& verdicts) {
    const auto dataDir =
        std::filesystem::temp_directory_path() / ("provider-bench-" + std::to_string(getpid()));
    std::filesystem::remove_all(dataDir);
    const Seeded seeded = Seed(dataDir.string(), hosts);
    const auto copy = dataDir.string() + "/direct-sql.sqlite3";
    std::filesystem::copy_file(dataDir / "provider.sqlite3", copy);
    const DirectResult direct = DirectSql(copy, seeded, hosts, options.seconds);
    std::printf("%7d  direct SQL    %9.0f      1.00                         %6.1f\n", hosts,
                direct.perSecond, direct.cpuUs);
    {
        ProviderProcess provider(options.provider, dataDir.string(), options.serveArgs,
                                 options.servers);
        for (const std::size_t connections : kConnectionCounts) {
            provider.ResetPeakMemory();
            const double cpuStart = provider.CpuSeconds();
            const LoadResult result =
                RunLoad(provider.http, connections, std::chrono::duration<double>(options.seconds),
                        UpdateLoad(seeded.client, {hosts, connections}), options.firstSource);
            const double cpuUs =
                result.good ? (provider.CpuSeconds() - cpuStart) / result.good * 1e6 : 0;
            const double peakMiB = provider.PeakMemoryKiB() / 1024.0;
            std::printf(
                "%7d  %4zu conns    %9.0f      %4.2f   %7.2f  %7.2f    %6.1f   %6.1f  %ld\n", hosts,
                connections, result.PerSecond(), result.PerSecond() / direct.perSecond,
                result.p50Ms, result.p99Ms, cpuUs, peakMiB, result.failed);
            if (connections >= 8)
                verdicts.updates = verdicts.updates && result.PerSecond() >= kUpdateTarget;
            if (connections == 64)
                verdicts.p99 = verdicts.p99 && result.p99Ms < kP99TargetMs;
            verdicts.memory = verdicts.memory && peakMiB < kMemoryTargetMiB;
        }
        provider.StopWith(SIGTERM, std::chrono::seconds(5));
    }
    std::filesystem::remove_all(dataDir);
}

void BenchHttpEcho(const ProviderProcess& provider, const Options& options, Verdicts& verdicts) {
    const vek::provider::probe::Load load{
        [](std::size_t, std::uint64_t) {
            return std::string("GET /ip.php HTTP/1.1\r\nHost: bench\r\n\r\n");
        },
        [&options](std::size_t connection, std::uint64_t, int status, std::string_view body) {
            return status == 200 &&
                   body == vek::provider::probe::SourceAddressOf(connection, options.firstSource);
        }};
    for (const std::size_t connections : kConnectionCounts) {
        provider.ResetPeakMemory();
        const LoadResult result =
            RunLoad(provider.echoHttp[0], connections,
                    std::chrono::duration<double>(options.seconds), load, options.firstSource);
        const double peakMiB = provider.PeakMemoryKiB() / 1024.0;
        std::printf("http echo %4zu conns: %8.0f requests/s, p50 %.2f ms, p99 %.2f ms; peak "
                    "memory %.1f MiB; %ld failed\n",
                    connections, result.PerSecond(), result.p50Ms, result.p99Ms, peakMiB,
                    result.failed);
        verdicts.memory = verdicts.memory && peakMiB < kMemoryTargetMiB;
    }
}

std::string DnsQuery(std::uint16_t id) {
    std::string query = {static_cast<char>(id >> 8),
                         static_cast<char>(id & 0xFF),
                         1,
                         0,
                         0,
                         1,
                         0,
                         0,
                         0,
                         0,
                         0,
                         0,
                         2,
                         'i',
                         'p',
                         0,
                         0,
                         1,
                         0,
                         1};
    return query;
}

void BenchDns(const ProviderProcess& provider, double seconds) {
    std::atomic<long> answered{0};
    std::atomic<long> lost{0};
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < 2 * kDnsThreadsPerServer; ++t) {
        threads.emplace_back([&, t] {
            const Endpoint& server = provider.echoDns[t % 2];
            const int sock = socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(static_cast<std::uint16_t>(server.port));
            inet_pton(AF_INET, server.address.c_str(), &to.sin_addr);
            connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof to);
            char buffer[512];
            for (std::uint16_t id = 0; Clock::now() < deadline && answered.load() < kMaxQueries;) {
                for (int i = 0; i < kDnsBatch; ++i) {
                    const std::string query = DnsQuery(id++);
                    send(sock, query.data(), query.size(), 0);
                }
                int got = 0;
                pollfd fd{sock, POLLIN, 0};
                while (got < kDnsBatch && poll(&fd, 1, 200) > 0) {
                    if (recv(sock, buffer, sizeof buffer, 0) == 36)
                        ++got;
                }
                answered += got;
                lost += kDnsBatch - got;
            }
            close(sock);
        });
    }
    for (auto& thread : threads)
        thread.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("dns echo: %ld answers in %.2f s = %.0f/s (2 servers, %d client sockets, batches "
                "of %d); %ld lost\n",
                answered.load(), elapsed, answered.load() / elapsed, 2 * kDnsThreadsPerServer,
                kDnsBatch, lost.load());
}

void BenchEchoes(const Options& options, Verdicts& verdicts) {
    const auto dataDir = std::filesystem::temp_directory_path() /
                         ("provider-bench-echo-" + std::to_string(getpid()));
    std::filesystem::remove_all(dataDir);
    {
        ProviderProcess provider(options.provider, dataDir.string(), options.serveArgs,
                                 options.servers);
        BenchHttpEcho(provider, options, verdicts);
        BenchDns(provider, options.seconds);
        provider.StopWith(SIGTERM, std::chrono::seconds(5));
    }
    std::filesystem::remove_all(dataDir);
}

// Nothing when an option is unknown, lacks its value or is not of its form.
std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    options.provider =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tarvo-provider").string();
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc)
            return std::nullopt;
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--provider") {
            options.provider = value;
        } else if (name == "--seconds") {
            options.seconds = std::min(60.0, std::max(0.5, std::stod(value)));
        } else if (name == "--threads") {
            options.serveArgs = {"--threads", value};
        } else if (name == "--server-addresses") {
            const auto first = value.find(',');
            const auto second = value.find(',', first + 1);
            if (second == std::string::npos)
                return std::nullopt;
            options.servers = {value.substr(0, first), value.substr(first + 1, second - first - 1),
                               value.substr(second + 1)};
            const auto& servers = options.servers;
            if (!vek::provider::IsValidIPv4(servers.update) ||
                !vek::provider::IsValidIPv4(servers.echo1) ||
                !vek::provider::IsValidIPv4(servers.echo2)) {
                return std::nullopt;
            }
        } else if (name == "--source-address" && vek::provider::IsValidIPv4(value)) {
            options.firstSource = value;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

const char* Met(bool met) { return met ? "met" : "NOT met"; }

} // namespace

int main(int argc, char** argv) {
    Verdicts verdicts;
    try {
        const auto parsed = ParseOptions(argc, argv);
        if (!parsed) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        const Options& options = *parsed;
        std::printf("updates (signed, each a store write; %.1f s a point)\n", options.seconds);
        std::printf("  hosts  load          updates/s  vs direct   p50 ms   p99 ms  CPU us/upd  "
                    "peak MiB  failed\n");
        for (const int hosts : kHostCounts)
            BenchUpdates(options, hosts, verdicts);
        BenchEchoes(options, verdicts);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "provider_bench: %s\n", e.what());
        return 1;
    }
    std::printf("targets: >= %.0f updates/s from 8 to 256 connections: %s; p99 < %.0f ms at 64 "
                "connections: %s; peak memory < %.0f MiB at every point: %s\n",
                kUpdateTarget, Met(verdicts.updates), kP99TargetMs, Met(verdicts.p99),
                kMemoryTargetMiB, Met(verdicts.memory));
    return 0;
}
