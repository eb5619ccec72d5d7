#pragma once
// Sockets of a test on 127.0.0.1: Winsock started for an object's lifetime, and a socket on a
// port that the system chose, which a test points the program at.
#include "classlib/WinHandles.h"

#include <string>

namespace vek::testing {

// Winsock started for the object's lifetime (the system counts the starts).
class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
};

// A socket bound to a free port of 127.0.0.1; a stream socket listens. It receives but never
// answers, and the port is free again once the object is gone.
class LoopbackSocket {
public:
    // type: SOCK_STREAM or SOCK_DGRAM.
    explicit LoopbackSocket(int type);

    unsigned short Port() const { return port_; }
    // "127.0.0.1:<port>".
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    // Whether a connection or a datagram is waiting, without waiting for one.
    bool Readable() const;

private:
    WinsockSession winsock_;
    UniqueSocket socket_;
    unsigned short port_ = 0;
};

} // namespace vek::testing
