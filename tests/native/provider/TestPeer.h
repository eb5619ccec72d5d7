#pragma once
// A raw TCP peer of the servers from a chosen loopback address, which sends what it is told and
// reads what comes back; every wait on it is bounded to 2 s.
#include "provider/Endpoint.h"

#include <string>
#include <string_view>

namespace vek::provider::test {

class Peer {
public:
    Peer(const Endpoint& server, const std::string& source);
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    ~Peer();

    bool connected() const { return connected_; }
    int fd() const { return fd_; }
    bool Send(std::string_view bytes);
    // What arrives until the peer has `replies` whole replies, the server closes, or 2 s pass.
    std::string Receive(std::size_t replies = 1);
    // Whether the server has closed the connection (an end of file or a reset within 2 s).
    bool ClosedByServer();

private:
    int fd_;
    bool connected_ = false;
};

} // namespace vek::provider::test
