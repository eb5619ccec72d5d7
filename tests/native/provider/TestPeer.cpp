#include "tests/native/provider/TestPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace vek::provider::test {
namespace {

// Whole replies: a head, then as many body bytes as its Content-Length says.
std::size_t CountReplies(const std::string& received) {
    std::size_t count = 0;
    for (std::size_t at = 0;; ++count) {
        const auto headEnd = received.find("\r\n\r\n", at);
        const auto length = received.find("Content-Length: ", at);
        if (headEnd == std::string::npos || length == std::string::npos || length > headEnd)
            return count;
        at = headEnd + 4 + std::stoul(received.substr(length + 16));
        if (at > received.size())
            return count;
    }
}

} // namespace

Peer::Peer(const Endpoint& server, const std::string& source)
    : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    timeval timeout{2, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(server.port));
    inet_pton(AF_INET, server.address.c_str(), &to.sin_addr);
    connected_ = bind(fd_, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
                 connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
}

Peer::~Peer() { close(fd_); }

bool Peer::Send(std::string_view bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

std::string Peer::Receive(std::size_t replies) {
    std::string received;
    char buffer[4096];
    while (CountReplies(received) < replies) {
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

bool Peer::ClosedByServer() {
    char byte;
    return recv(fd_, &byte, 1, 0) == 0 || errno == ECONNRESET;
}

} // namespace vek::provider::test
