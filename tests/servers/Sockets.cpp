#include "tests/servers/Sockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vek::servers {
namespace {

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

} // namespace

int OpenSocket(const std::string& address, std::uint16_t port, bool tcp) {
    const int fd = ::socket(AF_INET, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (fd < 0) {
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        (tcp && ::listen(fd, 64) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

SocketPair OpenPair(const std::string& first, const std::string& second, bool tcp) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        SocketPair pair;
        pair.first = OpenSocket(first, 0, tcp);
        if (pair.first < 0) {
            return {};
        }
        pair.port = LocalPort(pair.first);
        pair.second = OpenSocket(second, pair.port, tcp);
        if (pair.second >= 0) {
            return pair;
        }
        ::close(pair.first);
    }
    return {};
}

std::uint16_t LocalPort(int socket) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

std::string LocalAddress(int socket) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length);
    return AddressText(local);
}

std::string PeerAddress(int socket) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length);
    return AddressText(peer);
}

} // namespace vek::servers
