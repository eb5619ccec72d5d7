#include "DnsEchoServer.h"

#include "DnsEcho.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace vek::provider {
namespace {

std::array<std::uint8_t, 4> AddressBytes(const std::string& text) {
    in_addr address{};
    std::array<std::uint8_t, 4> bytes{};
    if (inet_pton(AF_INET, text.c_str(), &address) == 1) {
        std::memcpy(bytes.data(), &address.s_addr, 4);
    }
    return bytes;
}

} // namespace

DnsEchoServer::DnsEchoServer(const Endpoint& endpoint, EchoAddress& echo) : echo_(echo) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(endpoint.port));
    if (inet_pton(AF_INET, endpoint.address.c_str(), &address.sin_addr) != 1) {
        throw std::runtime_error("invalid address " + endpoint.address);
    }
    socket_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (socket_ < 0 || wake_ < 0 ||
        bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const std::string reason = std::strerror(errno);
        if (socket_ >= 0)
            close(socket_);
        if (wake_ >= 0)
            close(wake_);
        throw std::runtime_error("cannot bind UDP " + endpoint.ToString() + ": " + reason);
    }
    socklen_t length = sizeof address;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    bound_ = {endpoint.address, ntohs(address.sin_port)};
}

DnsEchoServer::~DnsEchoServer() {
    Stop();
    close(socket_);
    close(wake_);
}

void DnsEchoServer::Start() {
    thread_ = std::thread([this] { Serve(); });
}

void DnsEchoServer::Stop() {
    if (!thread_.joinable())
        return;
    const std::uint64_t one = 1;
    if (write(wake_, &one, sizeof one) != sizeof one) {
        // An eventfd write fails only on counter overflow; the thread is woken either way.
    }
    thread_.join();
}

void DnsEchoServer::Serve() {
    std::array<char, 512> buffer{};
    std::array<pollfd, 2> fds{pollfd{socket_, POLLIN, 0}, pollfd{wake_, POLLIN, 0}};
    while (true) {
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        // Drain what is queued without going back to poll for every datagram.
        while (true) {
            sockaddr_in peer{};
            socklen_t peerLength = sizeof peer;
            const ssize_t received = recvfrom(socket_, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                              reinterpret_cast<sockaddr*>(&peer), &peerLength);
            if (received < 0)
                break;
            char peerText[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &peer.sin_addr, peerText, sizeof peerText);
            const auto reply =
                DnsEchoReply(std::string_view(buffer.data(), static_cast<std::size_t>(received)),
                             AddressBytes(echo_.For(peerText)));
            if (reply) {
                sendto(socket_, reply->data(), reply->size(), MSG_DONTWAIT,
                       reinterpret_cast<sockaddr*>(&peer), peerLength);
            }
        }
    }
}

} // namespace vek::provider
