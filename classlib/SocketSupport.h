#pragma once
// Winsock helpers shared by the program's TCP and UDP clients.
#include <winsock2.h>

#include <optional>
#include <string>

namespace vek {

// Winsock started for one scope (WSAStartup counts, so nested sessions are fine).
class WinsockSession {
public:
    WinsockSession() : started_(::WSAStartup(MAKEWORD(2, 2), &data_) == 0) {}
    ~WinsockSession() {
        if (started_) {
            ::WSACleanup();
        }
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Started() const { return started_; }

private:
    WSADATA data_{};
    bool started_;
};

// A dotted IPv4 address and a port, or nothing when the text is not such an address.
std::optional<sockaddr_in> ParseIPv4(const std::string& address, unsigned short port);

// The host's first IPv4 address: an address text as it is, a name through the system's resolver.
std::optional<sockaddr_in> ResolveIPv4(const std::string& host, unsigned short port);

// Binds a client socket to a local IPv4 address and any port, through the socket-bind seam.
// An empty address leaves the socket alone (the system then chooses at connect or send time).
bool BindLocalAddress(SOCKET socket, const std::string& boundIP);

} // namespace vek
