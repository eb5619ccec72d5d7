#include "tests/win/support/LoopbackRecorder.h"

#include "Main/core/Endpoints.h"
#include "tests/win/support/LoopbackSocket.h"
#include "tests/win/support/PollUntil.h"

#include <ws2tcpip.h>

#include <chrono>

namespace vek::testing {
namespace {

constexpr long kPollMicroseconds = 50000;
constexpr DWORD kReadTimeoutMs = 5000;
constexpr auto kLongestHold = std::chrono::seconds(60);
constexpr DWORD kBindBoundMs = 90000;
constexpr DWORD kBindRetryMs = 500;

sockaddr_in Address(const std::string& endpoint) {
    const std::size_t colon = endpoint.rfind(':');
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(static_cast<u_short>(std::stoi(endpoint.substr(colon + 1))));
    ::inet_pton(AF_INET, endpoint.substr(0, colon).c_str(), &address.sin_addr);
    return address;
}

// The value of one header of a request head, without the blanks after the colon.
std::string HeaderValue(const std::string& head, const std::string& name) {
    const std::string key = "\r\n" + name + ":";
    const std::size_t at = head.find(key);
    if (at == std::string::npos) {
        return {};
    }
    std::size_t start = head.find_first_not_of(' ', at + key.size());
    return head.substr(start, head.find("\r\n", start) - start);
}

} // namespace

LoopbackRecorder::LoopbackRecorder() {
    static WinsockSession winsock;
    const ProviderEndpoints endpoints;
    const std::string dnsPort = ":" + std::to_string(endpoints.DnsEchoPort);
    Listen(endpoints.UpdateServer, SOCK_STREAM);
    Listen(endpoints.HttpEcho1, SOCK_STREAM);
    Listen(endpoints.HttpEcho2, SOCK_STREAM);
    // Both DNS echo servers share their port: one datagram socket on every local address hears
    // both (Wine binds datagram sockets to every address whatever address is asked).
    Listen("0.0.0.0" + dnsPort, SOCK_DGRAM);
    runner_ = std::thread([this] { Run(); });
}

LoopbackRecorder::~LoopbackRecorder() {
    ReleaseReplies();
    stopping_ = true;
    runner_.join();
    for (std::thread& connection : connections_) {
        connection.join();
    }
}

void LoopbackRecorder::Listen(const std::string& endpoint, int type) {
    const sockaddr_in address = Address(endpoint);
    int error = 0;
    const auto tryListen = [&] {
        UniqueSocket socket(
            ::socket(AF_INET, type, type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP));
        if (socket &&
            ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
                0 &&
            (type == SOCK_DGRAM || ::listen(socket.get(), SOMAXCONN) == 0)) {
            listeners_.push_back({std::move(socket), endpoint, type});
            return true;
        }
        error = ::WSAGetLastError();
        return false;
    };
    // Connections to a provider that has just stopped keep its ports for a while (TIME_WAIT);
    // any other error ends the tries at once.
    bool listening = false;
    PollUntil([&] { return (listening = tryListen()) || error != WSAEADDRINUSE; }, kBindBoundMs,
              kBindRetryMs);
    if (!listening) {
        failures_ += endpoint + " (error " + std::to_string(error) + ") ";
    }
}

// One thread watches every listener; each accepted connection is served on a thread of its own,
// so that a held reply does not keep other arrivals out.
void LoopbackRecorder::Run() {
    while (!stopping_) {
        fd_set readable;
        FD_ZERO(&readable);
        for (const Listener& listener : listeners_) {
            FD_SET(listener.socket.get(), &readable);
        }
        timeval poll{0, kPollMicroseconds};
        if (listeners_.empty() || ::select(0, &readable, nullptr, nullptr, &poll) <= 0) {
            ::Sleep(listeners_.empty() ? 50 : 0);
            continue;
        }
        for (const Listener& listener : listeners_) {
            if (!FD_ISSET(listener.socket.get(), &readable)) {
                continue;
            }
            if (listener.type == SOCK_DGRAM) {
                char datagram[2048];
                if (::recv(listener.socket.get(), datagram, sizeof datagram, 0) >= 0) {
                    Record({listener.endpoint, "", ""});
                }
                continue;
            }
            const SOCKET connection = ::accept(listener.socket.get(), nullptr, nullptr);
            if (connection != INVALID_SOCKET) {
                connections_.emplace_back([this, connection, endpoint = listener.endpoint] {
                    Serve(connection, endpoint);
                });
            }
        }
    }
}

void LoopbackRecorder::Serve(SOCKET raw, std::string endpoint) {
    UniqueSocket connection(raw);
    const DWORD timeout = kReadTimeoutMs;
    ::setsockopt(raw, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                 sizeof timeout);
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const int count = ::recv(raw, buffer, sizeof buffer, 0);
        if (count <= 0) {
            return;
        }
        head.append(buffer, static_cast<std::size_t>(count));
    }
    Record({endpoint, head.substr(0, head.find("\r\n")), HeaderValue(head, "User-Agent")});
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kLongestHold, [this] { return !holding_; });
    }
    static const std::string kReply =
        "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    ::send(raw, kReply.data(), static_cast<int>(kReply.size()), 0);
    ::shutdown(raw, SD_SEND);
}

void LoopbackRecorder::Record(Arrival arrival) {
    std::lock_guard lock(mutex_);
    arrivals_.push_back(std::move(arrival));
    changed_.notify_all();
}

std::vector<LoopbackRecorder::Arrival> LoopbackRecorder::Arrivals() {
    std::lock_guard lock(mutex_);
    return arrivals_;
}

bool LoopbackRecorder::WaitForArrival(const std::string& text, DWORD boundMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(boundMs), [&] {
        for (const Arrival& arrival : arrivals_) {
            if (arrival.requestLine.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    });
}

void LoopbackRecorder::HoldReplies() {
    std::lock_guard lock(mutex_);
    holding_ = true;
}

void LoopbackRecorder::ReleaseReplies() {
    std::lock_guard lock(mutex_);
    holding_ = false;
    changed_.notify_all();
}

} // namespace vek::testing
