// provider_bench: signed update requests per second (8 concurrent keep-alive connections, one
// host per request, each request a real store write) and DNS echo queries per second against a
// tarvo-provider process on loopback, with that process's peak memory. Every phase is bounded
// in time and in count; only loopback addresses are used.
#include "Crypto.h"
#include "Provider.h"
#include "RequestSignature.h"
#include "Store.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using vek::provider::Endpoint;

constexpr int kConnections = 8;
constexpr int kHostsPerConnection = 125;
constexpr long kMaxUpdates = 2'000'000;
constexpr long kMaxQueries = 20'000'000;
constexpr int kDnsThreadsPerServer = 2;
constexpr int kDnsBatch = 32;
constexpr auto kStartTimeout = std::chrono::seconds(30);

struct Options {
    std::string provider;
    double seconds = 5;
};

struct Child {
    pid_t pid = -1;
    Endpoint http;
    std::array<Endpoint, 2> dns;
};

std::string HostName(int index) { return "h" + std::to_string(index) + ".bench.example"; }

vek::provider::ClientCredentials Seed(const std::string& dataDir) {
    vek::provider::Store store(vek::provider::PrepareDataDir(dataDir));
    store.AddAccount("bench@example.com", "bench-pass");
    for (int i = 0; i < kConnections * kHostsPerConnection; ++i) {
        store.AddHost("bench@example.com", HostName(i));
    }
    return store.IssueClient("bench@example.com");
}

// The endpoint text after "label" on one of the provider's start lines.
std::optional<std::string> Field(const std::string& line, const std::string& label) {
    if (line.rfind(label, 0) != 0)
        return std::nullopt;
    const auto start = line.find_first_not_of(' ', label.size());
    return line.substr(start);
}

Child Spawn(const Options& options, const std::string& dataDir) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<std::string> args = {options.provider,
                                     "--data",
                                     dataDir,
                                     "serve",
                                     "--quiet",
                                     "--http",
                                     "127.0.0.1:0",
                                     "--https",
                                     "127.0.0.1:0",
                                     "--echo-http",
                                     "127.0.0.2:0,127.0.0.3:0",
                                     "--echo-dns",
                                     "127.0.0.2:0,127.0.0.3:0"};
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    Child child;
    if (posix_spawn(&child.pid, options.provider.c_str(), &actions, nullptr, argv.data(),
                    environ) != 0) {
        throw std::runtime_error("cannot start " + options.provider);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);

    std::string pending;
    const auto deadline = Clock::now() + kStartTimeout;
    bool ready = false;
    while (!ready && Clock::now() < deadline) {
        pollfd fd{pipeFds[0], POLLIN, 0};
        if (poll(&fd, 1, 1000) <= 0)
            continue;
        char buffer[1024];
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            if (auto http = Field(line, "update server (HTTP):")) {
                child.http = *vek::provider::ParseEndpoint(*http);
            } else if (auto dns = Field(line, "DNS IP echo:")) {
                const auto comma = dns->find(',');
                child.dns = {*vek::provider::ParseEndpoint(dns->substr(0, comma)),
                             *vek::provider::ParseEndpoint(dns->substr(comma + 1))};
            } else if (line == "ready") {
                ready = true;
            }
        }
    }
    close(pipeFds[0]);
    if (!ready) {
        kill(child.pid, SIGKILL);
        waitpid(child.pid, nullptr, 0);
        throw std::runtime_error("the provider did not start");
    }
    return child;
}

void BenchUpdates(const Child& child, const vek::provider::ClientCredentials& client,
                  double seconds) {
    std::atomic<long> done{0};
    std::atomic<long> failed{0};
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < kConnections; ++t) {
        threads.emplace_back([&, t] {
            httplib::Client http(child.http.address, child.http.port);
            http.set_keep_alive(true);
            http.set_url_encode(false);
            http.set_tcp_nodelay(true);
            http.set_connection_timeout(2);
            http.set_read_timeout(5);
            const httplib::Headers headers = {{"User-Agent", "VEK v3.0.4/6.1.7601"}};
            for (long i = 0; Clock::now() < deadline && done.load() < kMaxUpdates; ++i) {
                const std::string host = HostName(t + kConnections * (i % kHostsPerConnection));
                // Each round over the hosts moves them to the other address: every request
                // changes a stored address.
                const std::string ip =
                    (i / kHostsPerConnection) % 2 ? "203.0.113.7" : "198.51.100.9";
                const std::string target =
                    "/vekupdate.php?h[]=" + host + "&email=" + client.id + "&ip=" + ip;
                const auto reply =
                    http.Get(target + vek::SignatureSuffix(
                                          vek::provider::HmacSha1Base64(client.key, target)),
                             headers);
                if (reply && reply->status == 200 && reply->body == host + ":1\n") {
                    ++done;
                } else {
                    ++failed;
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("updates:  %ld signed requests (each one store write) in %.2f s = %.0f/s over %d "
                "connections; %ld failed\n",
                done.load(), elapsed, done.load() / elapsed, kConnections, failed.load());
    std::printf("          target >= 5000/s: %s\n",
                done.load() / elapsed >= 5000 ? "met" : "NOT met");
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

void BenchDns(const Child& child, double seconds) {
    std::atomic<long> answered{0};
    std::atomic<long> lost{0};
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < 2 * kDnsThreadsPerServer; ++t) {
        threads.emplace_back([&, t] {
            const Endpoint& server = child.dns[t % 2];
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
    std::printf("          target >= 50000/s: %s\n",
                answered.load() / elapsed >= 50000 ? "met" : "NOT met");
}

long PeakMemoryKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

void StopChild(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    options.provider =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tarvo-provider").string();
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--provider") {
            options.provider = argv[i + 1];
        } else if (name == "--seconds") {
            options.seconds = std::min(60.0, std::max(0.5, std::stod(argv[i + 1])));
        }
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    char pattern[] = "/tmp/provider-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 1;
    const std::string dataDir = pattern;
    int status = 0;
    try {
        const auto client = Seed(dataDir);
        const Child child = Spawn(options, dataDir);
        try {
            BenchUpdates(child, client, options.seconds);
            BenchDns(child, options.seconds);
            std::printf("server peak memory (VmHWM): %.1f MiB\n",
                        PeakMemoryKiB(child.pid) / 1024.0);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "provider_bench: %s\n", e.what());
            status = 1;
        }
        StopChild(child.pid);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "provider_bench: %s\n", e.what());
        status = 1;
    }
    std::filesystem::remove_all(dataDir);
    return status;
}
