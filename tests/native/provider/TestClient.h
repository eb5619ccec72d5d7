#pragma once
// Test peers that speak to the provider byte for byte as the client does: a raw HTTP/1.1 GET
// over a fresh TCP connection (optionally from a chosen loopback source address), the signing
// of a request target, and DNS datagrams over UDP. Every wait is bounded.
#include "provider/Endpoint.h"

#include <optional>
#include <string>

namespace vek::provider::test {

inline constexpr const char* kUserAgent = "VEK v3.0.4/6.1.7601";

struct HttpReply {
    int status = -1; // -1: no status line arrived
    std::string body;
};

// Sends the bytes as they are and reads the answer until the server closes the connection.
HttpReply RawHttp(const Endpoint& server, const std::string& request,
                  const std::string& sourceAddress = "");
// Sends the bytes as they are and returns every byte received until the server closes the
// connection (or stays silent for two seconds).
std::string RawConversation(const Endpoint& server, const std::string& request);
// "GET <target> HTTP/1.1" with Host, User-Agent and "Connection: close".
HttpReply HttpGet(const Endpoint& server, const std::string& target,
                  const std::string& userAgent = kUserAgent, const std::string& sourceAddress = "");
// The target as the client sends it: signed with the key over its text from the path on, then
// with request-line-unsafe bytes escaped.
std::string SignedTarget(const std::string& target, const std::string& key);

// A UDP socket bound to the source address that sends datagrams to one server.
class DnsPeer {
public:
    DnsPeer(const Endpoint& server, const std::string& sourceAddress = "127.0.0.1");
    DnsPeer(const DnsPeer&) = delete;
    DnsPeer& operator=(const DnsPeer&) = delete;
    ~DnsPeer();

    void Send(const std::string& datagram);
    // The next datagram, or nothing after two seconds.
    std::optional<std::string> Receive();

private:
    int socket_ = -1;
};

// A standard query for the name (labels split at "."), type and class, with the id.
std::string DnsQuery(std::uint16_t id, const std::string& name, std::uint16_t type = 1,
                     std::uint16_t qclass = 1);
// The dotted address in the first answer of a reply, or nothing.
std::optional<std::string> FirstAnswerAddress(const std::string& reply);

} // namespace vek::provider::test
