#pragma once
// Loopback sockets of the test servers.
#include <cstdint>
#include <string>

namespace vek::servers {

// A listening TCP or a bound UDP socket on address:port (0: any free port); -1 on failure.
int OpenSocket(const std::string& address, std::uint16_t port, bool tcp);
// One port bound on two addresses, for a pair of servers told apart by their address.
struct SocketPair {
    int first = -1;
    int second = -1;
    std::uint16_t port = 0;
};
SocketPair OpenPair(const std::string& first, const std::string& second, bool tcp);

std::uint16_t LocalPort(int socket);
std::string LocalAddress(int socket);
std::string PeerAddress(int socket);

} // namespace vek::servers
