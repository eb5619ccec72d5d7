#include "tests/win/support/SocketFakes.h"

#include <ws2tcpip.h>

#include <algorithm>

namespace vek::testing {

int RecordingBind::Bind(SOCKET socket, const sockaddr* address, int length) {
    const auto* local = reinterpret_cast<const sockaddr_in*>(address);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &local->sin_addr, text, sizeof text);
    addresses.push_back(std::string(text) + ":" + std::to_string(::ntohs(local->sin_port)));
    if (refuse_) {
        ::WSASetLastError(WSAEADDRNOTAVAIL);
        return SOCKET_ERROR;
    }
    return ::bind(socket, address, length);
}

int ShortUdpWait::WaitReadable(SOCKET socket, DWORD milliseconds) {
    requested.push_back(milliseconds);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    const DWORD wait = std::min(milliseconds, limitMs_);
    timeval limit{static_cast<long>(wait / 1000), static_cast<long>((wait % 1000) * 1000)};
    return ::select(0, &readable, nullptr, nullptr, &limit);
}

} // namespace vek::testing
