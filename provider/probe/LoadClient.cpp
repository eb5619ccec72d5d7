#include "provider/probe/LoadClient.h"

#include "common/Ascii.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vek::provider::probe {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kPerSource = 32;
constexpr std::size_t kMaxThreads = 4;
constexpr auto kReplyTimeout = std::chrono::seconds(5);
constexpr int kPollMs = 100;

sockaddr_in Address(const std::string& text, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, text.c_str(), &address.sin_addr);
    return address;
}

struct Connection {
    std::size_t index = 0;
    int fd = -1;
    std::uint64_t n = 0;
    bool waiting = false;
    Clock::time_point sent;
    std::string received;
};

// One parsed reply at the start of `received`, or nothing yet.
struct ParsedReply {
    int status = 0;
    std::string_view body;
    std::size_t size = 0;
    bool close = false;
};

std::optional<ParsedReply> ParseReply(const std::string& received) {
    const auto headerEnd = received.find("\r\n\r\n");
    if (headerEnd == std::string::npos || received.size() < 12)
        return std::nullopt;
    const std::string head = LowerAscii(received.substr(0, headerEnd));
    std::size_t length = 0;
    if (const auto field = head.find("\r\ncontent-length:"); field != std::string::npos)
        length = std::stoul(head.substr(field + 17));
    if (received.size() < headerEnd + 4 + length)
        return std::nullopt;
    return ParsedReply{
        std::atoi(received.c_str() + 9), std::string_view(received).substr(headerEnd + 4, length),
        headerEnd + 4 + length, head.find("\r\nconnection: close") != std::string::npos};
}

class LoadThread {
public:
    LoadThread(const Endpoint& server, const Load& load, const std::string& firstSource,
               Clock::time_point end)
        : server_(Address(server.address, server.port)), load_(load), firstSource_(firstSource),
          end_(end) {}

    void Add(std::size_t index) {
        Connection connection;
        connection.index = index;
        connections_.push_back(connection);
    }

    void Run() {
        for (auto& connection : connections_)
            Open(connection);
        while (Clock::now() < end_) {
            std::vector<pollfd> fds;
            for (auto& connection : connections_)
                fds.push_back({connection.fd, POLLIN, 0});
            poll(fds.data(), fds.size(), kPollMs);
            const auto now = Clock::now();
            for (std::size_t i = 0; i < fds.size(); ++i) {
                Connection& connection = connections_[i];
                if (fds[i].revents != 0) {
                    Receive(connection);
                } else if (connection.fd < 0 ||
                           (connection.waiting && now - connection.sent > kReplyTimeout)) {
                    Fail(connection);
                }
            }
        }
        for (auto& connection : connections_)
            close(connection.fd);
    }

    long good = 0;
    long failed = 0;
    std::vector<std::uint32_t> latenciesUs;

private:
    void Open(Connection& connection) {
        connection.fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in source = Address(SourceAddressOf(connection.index, firstSource_), 0);
        const int one = 1;
        setsockopt(connection.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (bind(connection.fd, reinterpret_cast<const sockaddr*>(&source), sizeof source) != 0 ||
            connect(connection.fd, reinterpret_cast<const sockaddr*>(&server_), sizeof server_) !=
                0) {
            close(connection.fd);
            connection.fd = -1;
            return;
        }
        connection.received.clear();
        SendNext(connection);
    }

    void SendNext(Connection& connection) {
        connection.waiting = false;
        if (Clock::now() >= end_)
            return;
        const std::string request = load_.request(connection.index, connection.n);
        connection.sent = Clock::now();
        if (send(connection.fd, request.data(), request.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(request.size())) {
            return Fail(connection);
        }
        connection.waiting = true;
    }

    void Receive(Connection& connection) {
        char buffer[16384];
        const ssize_t n = recv(connection.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0)
            return Fail(connection);
        connection.received.append(buffer, static_cast<std::size_t>(n));
        while (const auto reply = ParseReply(connection.received)) {
            const bool ok = load_.check(connection.index, connection.n, reply->status, reply->body);
            if (ok && Clock::now() <= end_) {
                ++good;
                latenciesUs.push_back(static_cast<std::uint32_t>(
                    std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() -
                                                                          connection.sent)
                        .count()));
            } else if (!ok) {
                ++failed;
            }
            ++connection.n;
            const bool close = reply->close;
            connection.received.erase(0, reply->size);
            if (close) {
                ::close(connection.fd);
                return Open(connection);
            }
            SendNext(connection);
        }
    }

    void Fail(Connection& connection) {
        if (connection.waiting)
            ++failed;
        connection.waiting = false;
        if (connection.fd >= 0)
            close(connection.fd);
        connection.fd = -1;
        if (Clock::now() < end_)
            Open(connection);
    }

    const sockaddr_in server_;
    const Load& load_;
    const std::string firstSource_;
    const Clock::time_point end_;
    std::vector<Connection> connections_;
};

double Percentile(std::vector<std::uint32_t>& values, double fraction) {
    if (values.empty())
        return 0;
    const auto at = values.begin() + static_cast<long>(fraction * (values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at / 1000.0;
}

} // namespace

std::string SourceAddressOf(std::size_t connection, const std::string& firstSource) {
    in_addr address{};
    if (inet_pton(AF_INET, firstSource.c_str(), &address) != 1)
        throw std::invalid_argument("not an IPv4 address: " + firstSource);
    address.s_addr =
        htonl(ntohl(address.s_addr) + static_cast<std::uint32_t>(connection / kPerSource));
    char text[INET_ADDRSTRLEN];
    return inet_ntop(AF_INET, &address, text, sizeof text);
}

LoadResult RunLoad(const Endpoint& server, std::size_t connections,
                   std::chrono::duration<double> duration, const Load& load,
                   const std::string& firstSource) {
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(duration);
    const std::size_t threadCount = std::min(connections, kMaxThreads);
    std::vector<LoadThread> loads(threadCount, LoadThread(server, load, firstSource, end));
    for (std::size_t i = 0; i < connections; ++i)
        loads[i % threadCount].Add(i);
    std::vector<std::thread> threads;
    for (auto& thread : loads)
        threads.emplace_back([&thread] { thread.Run(); });
    for (auto& thread : threads)
        thread.join();
    LoadResult result;
    result.seconds = duration.count(); // replies after the end are not counted
    std::vector<std::uint32_t> latencies;
    for (auto& thread : loads) {
        result.good += thread.good;
        result.failed += thread.failed;
        latencies.insert(latencies.end(), thread.latenciesUs.begin(), thread.latenciesUs.end());
    }
    result.p50Ms = Percentile(latencies, 0.50);
    result.p99Ms = Percentile(latencies, 0.99);
    return result;
}

} // namespace vek::provider::probe
