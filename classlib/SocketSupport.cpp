#include "classlib/SocketSupport.h"

#include "classlib/Seams.h"
#include "classlib/WinHandles.h"

#include <ws2tcpip.h>

namespace vek {

std::optional<sockaddr_in> ParseIPv4(const std::string& address, unsigned short port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = ::htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &result.sin_addr) != 1) {
        return std::nullopt;
    }
    return result;
}

std::optional<sockaddr_in> ResolveIPv4(const std::string& host, unsigned short port) {
    if (auto literal = ParseIPv4(host, port)) {
        return literal;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    UniqueAddressInfo found;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, found.put()) != 0 || !found) {
        return std::nullopt;
    }
    sockaddr_in result = *reinterpret_cast<const sockaddr_in*>(found.get()->ai_addr);
    result.sin_port = ::htons(port);
    return result;
}

bool BindLocalAddress(SOCKET socket, const std::string& boundIP) {
    if (boundIP.empty()) {
        return true;
    }
    const auto local = ParseIPv4(boundIP, 0);
    return local && seams::SocketBind().Bind(socket, reinterpret_cast<const sockaddr*>(&*local),
                                             sizeof *local) == 0;
}

} // namespace vek
