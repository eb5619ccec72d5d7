#include "provider/DnsEchoServer.h"

#include "provider/DnsEcho.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace vek::provider {
namespace {

// Datagrams read with one call; a query longer than a datagram's room is read cut short.
constexpr std::size_t kBatch = 32;
constexpr std::size_t kDatagramSize = 512;

std::array<std::uint8_t, 4> AddressBytes(const in_addr& address) {
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &address.s_addr, 4);
    return bytes;
}

// An operator's address is valid dotted IPv4: the store refuses anything else.
std::array<std::uint8_t, 4> AddressBytes(const std::string& text) {
    in_addr address{};
    inet_pton(AF_INET, text.c_str(), &address);
    return AddressBytes(address);
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
    std::array<std::array<char, kDatagramSize>, kBatch> buffers{};
    std::array<sockaddr_in, kBatch> peers{};
    std::array<iovec, kBatch> parts{};
    std::array<mmsghdr, kBatch> messages{};
    std::array<pollfd, 2> fds{pollfd{socket_, POLLIN, 0}, pollfd{wake_, POLLIN, 0}};
    while (true) {
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        // Drain what is queued, a batch at a time, without going back to poll for every datagram.
        while (true) {
            for (std::size_t i = 0; i < kBatch; ++i) {
                parts[i] = {buffers[i].data(), buffers[i].size()};
                messages[i] = {};
                messages[i].msg_hdr.msg_name = &peers[i];
                messages[i].msg_hdr.msg_namelen = sizeof peers[i];
                messages[i].msg_hdr.msg_iov = &parts[i];
                messages[i].msg_hdr.msg_iovlen = 1;
            }
            const int received = recvmmsg(socket_, messages.data(), kBatch, MSG_DONTWAIT, nullptr);
            if (received <= 0)
                break;
            // Read after the batch arrived, so that a setting made before a query was sent holds
            // for its answer.
            echo_.Refresh();
            const auto& operatorAddress = echo_.OperatorAddress();
            const auto operatorBytes =
                operatorAddress ? AddressBytes(*operatorAddress) : std::array<std::uint8_t, 4>{};
            for (int i = 0; i < received; ++i) {
                const auto reply =
                    DnsEchoReply(std::string_view(buffers[i].data(), messages[i].msg_len),
                                 operatorAddress ? operatorBytes : AddressBytes(peers[i].sin_addr));
                if (reply) {
                    sendto(socket_, reply->data(), reply->size(), MSG_DONTWAIT,
                           reinterpret_cast<sockaddr*>(&peers[i]), messages[i].msg_hdr.msg_namelen);
                }
            }
        }
    }
}

} // namespace vek::provider
