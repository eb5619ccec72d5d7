#include "tests/win/support/LoopbackSocket.h"

namespace vek::testing {

WinsockSession::WinsockSession() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
}

WinsockSession::~WinsockSession() { ::WSACleanup(); }

LoopbackSocket::LoopbackSocket(int type)
    : socket_(::socket(AF_INET, type, type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP)) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof local;
    ::bind(socket_.get(), reinterpret_cast<sockaddr*>(&local), sizeof local);
    if (type == SOCK_STREAM) {
        ::listen(socket_.get(), 4);
    }
    ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ::ntohs(local.sin_port);
}

bool LoopbackSocket::Readable() const {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_.get(), &readable);
    timeval none{0, 0};
    return ::select(0, &readable, nullptr, nullptr, &none) > 0;
}

} // namespace vek::testing
