#include "tests/native/provider/TestClient.h"

#include "common/RequestLine.h"
#include "common/RequestSignature.h"
#include "provider/Crypto.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <stdexcept>

namespace vek::provider::test {
namespace {

sockaddr_in Address(const std::string& address, int port) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &out.sin_addr) != 1) {
        throw std::invalid_argument("bad address " + address);
    }
    return out;
}

int Socket(int type, const std::string& sourceAddress) {
    const int sock = socket(AF_INET, type, 0);
    if (sock < 0)
        throw std::runtime_error("socket");
    timeval timeout{2, 0};
    setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (!sourceAddress.empty()) {
        const sockaddr_in source = Address(sourceAddress, 0);
        if (bind(sock, reinterpret_cast<const sockaddr*>(&source), sizeof source) != 0) {
            close(sock);
            throw std::runtime_error("bind " + sourceAddress);
        }
    }
    return sock;
}

// Headers and as many body bytes as Content-Length announces: a server that keeps the
// connection open need not be waited for.
bool Complete(const std::string& received) {
    const auto headerEnd = received.find("\r\n\r\n");
    if (headerEnd == std::string::npos)
        return false;
    const auto length = received.find("Content-Length: ");
    if (length == std::string::npos || length > headerEnd)
        return false;
    return received.size() - (headerEnd + 4) >= std::stoul(received.substr(length + 16));
}

// The bytes received after sending the request, until `enough` says so or the server closes.
std::string Converse(const Endpoint& server, const std::string& request,
                     const std::string& sourceAddress, bool (*enough)(const std::string&)) {
    const int sock = Socket(SOCK_STREAM, sourceAddress);
    const sockaddr_in to = Address(server.address, server.port);
    std::string received;
    if (connect(sock, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) {
        send(sock, request.data(), request.size(), MSG_NOSIGNAL);
        char buffer[4096];
        for (ssize_t n; !enough(received) && (n = recv(sock, buffer, sizeof buffer, 0)) > 0;) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(sock);
    return received;
}

} // namespace

std::string RawConversation(const Endpoint& server, const std::string& request) {
    return Converse(server, request, "", [](const std::string&) { return false; });
}

HttpReply RawHttp(const Endpoint& server, const std::string& request,
                  const std::string& sourceAddress) {
    const std::string received = Converse(server, request, sourceAddress, Complete);
    HttpReply reply;
    if (received.rfind("HTTP/1.", 0) == 0 && received.size() >= 12) {
        reply.status = std::stoi(received.substr(9, 3));
        const auto headerEnd = received.find("\r\n\r\n");
        if (headerEnd != std::string::npos)
            reply.body = received.substr(headerEnd + 4);
    }
    return reply;
}

HttpReply HttpGet(const Endpoint& server, const std::string& target, const std::string& userAgent,
                  const std::string& sourceAddress) {
    return RawHttp(server,
                   "GET " + target + " HTTP/1.1\r\nHost: " + server.ToString() +
                       "\r\nUser-Agent: " + userAgent + "\r\nConnection: close\r\n\r\n",
                   sourceAddress);
}

std::string SignedTarget(const std::string& target, const std::string& key) {
    return EscapeRequestTarget(target + SignatureSuffix(HmacSha1Base64(key, target)));
}

DnsPeer::DnsPeer(const Endpoint& server, const std::string& sourceAddress)
    : socket_(Socket(SOCK_DGRAM, sourceAddress)) {
    const sockaddr_in to = Address(server.address, server.port);
    connect(socket_, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

DnsPeer::~DnsPeer() { close(socket_); }

void DnsPeer::Send(const std::string& datagram) {
    send(socket_, datagram.data(), datagram.size(), 0);
}

std::optional<std::string> DnsPeer::Receive() {
    char buffer[1024];
    const ssize_t n = recv(socket_, buffer, sizeof buffer, 0);
    if (n < 0)
        return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string DnsQuery(std::uint16_t id, const std::string& name, std::uint16_t type,
                     std::uint16_t qclass) {
    std::string query = {
        static_cast<char>(id >> 8), static_cast<char>(id & 0xFF), 1, 0, 0, 1, 0, 0, 0, 0, 0, 0};
    std::size_t start = 0;
    while (start <= name.size()) {
        const auto dot = std::min(name.find('.', start), name.size());
        query += static_cast<char>(dot - start);
        query += name.substr(start, dot - start);
        start = dot + 1;
    }
    query += '\0';
    query += {static_cast<char>(type >> 8), static_cast<char>(type & 0xFF),
              static_cast<char>(qclass >> 8), static_cast<char>(qclass & 0xFF)};
    return query;
}

std::optional<std::string> FirstAnswerAddress(const std::string& reply) {
    if (reply.size() < 12 || reply[7] == 0)
        return std::nullopt;
    std::size_t pos = 12;
    while (pos < reply.size() && reply[pos] != 0)
        pos += 1 + static_cast<std::uint8_t>(reply[pos]);
    pos += 1 + 4;         // the question's end, type and class
    pos += 2 + 2 + 2 + 4; // the answer's name pointer, type, class, TTL
    if (pos + 2 + 4 > reply.size() || reply[pos] != 0 || reply[pos + 1] != 4)
        return std::nullopt;
    pos += 2;
    std::string address;
    for (int i = 0; i < 4; ++i) {
        if (i)
            address += '.';
        address += std::to_string(static_cast<std::uint8_t>(reply[pos + i]));
    }
    return address;
}

} // namespace vek::provider::test
