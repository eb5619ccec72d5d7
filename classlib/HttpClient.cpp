#include "classlib/HttpClient.h"

#include "classlib/Deadline.h"
#include "classlib/SocketSupport.h"
#include "classlib/UrlParts.h"
#include "classlib/WinHandles.h"
#include "common/RequestLine.h"

#include <algorithm>

namespace vek {
namespace {

constexpr std::size_t kReceiveChunk = 16384;

// Waits until the socket can be read (or written); false on time-out or error.
bool WaitSocket(SOCKET socket, bool forWrite, DWORD milliseconds) {
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval limit{static_cast<long>(milliseconds / 1000),
                  static_cast<long>((milliseconds % 1000) * 1000)};
    const int result =
        ::select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &limit);
    return result > 0 && FD_ISSET(socket, &ready) && !FD_ISSET(socket, &failed);
}

// A non-blocking TCP connection whose every wait is bounded by the request's deadline.
class Connection final : public ReplySource {
public:
    explicit Connection(const Deadline& total) : total_(total) {}

    bool Open(const sockaddr_in& server, const std::string& boundIP, DWORD connectMs) {
        socket_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!socket_ || !BindLocalAddress(socket_.get(), boundIP)) {
            return false;
        }
        u_long nonBlocking = 1;
        if (::ioctlsocket(socket_.get(), FIONBIO, &nonBlocking) != 0) {
            return false;
        }
        if (::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&server), sizeof server) ==
            0) {
            return true;
        }
        if (::WSAGetLastError() != WSAEWOULDBLOCK) {
            return false;
        }
        const DWORD wait = std::min(connectMs, total_.Remaining());
        if (!WaitSocket(socket_.get(), true, wait)) {
            return false;
        }
        int error = 0;
        int length = sizeof error;
        return ::getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                            &length) == 0 &&
               error == 0;
    }

    bool SendAll(const std::string& data) {
        std::size_t sent = 0;
        while (sent < data.size()) {
            if (!WaitSocket(socket_.get(), true, total_.Remaining())) {
                return false;
            }
            const int count =
                ::send(socket_.get(), data.data() + sent, static_cast<int>(data.size() - sent), 0);
            if (count <= 0) {
                if (count < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK) {
                    continue;
                }
                return false;
            }
            sent += static_cast<std::size_t>(count);
        }
        return true;
    }

    Receipt Receive(std::string& buffer) override {
        for (;;) {
            if (!WaitSocket(socket_.get(), false, total_.Remaining())) {
                return Receipt::Failed;
            }
            char chunk[kReceiveChunk];
            const int count = ::recv(socket_.get(), chunk, sizeof chunk, 0);
            if (count > 0) {
                buffer.append(chunk, static_cast<std::size_t>(count));
                return Receipt::Data;
            }
            if (count == 0) {
                return Receipt::Closed;
            }
            if (::WSAGetLastError() != WSAEWOULDBLOCK) {
                return Receipt::Failed;
            }
        }
    }

private:
    const Deadline& total_;
    UniqueSocket socket_;
};

std::string RequestText(const UrlParts& url, const std::string& userAgent) {
    std::string host = url.host;
    if (url.portGiven) {
        host += ":" + std::to_string(url.port);
    }
    return "GET " + EscapeRequestTarget(url.target) + " HTTP/1.1\r\nHost: " + host +
           "\r\nUser-Agent: " + userAgent + "\r\nConnection: close\r\n\r\n";
}

} // namespace

HttpReply HttpGetPlain(const std::string& url, const std::string& boundIP,
                       const std::string& userAgent, const HttpTimeouts& timeouts) {
    const Deadline total(timeouts.totalMs);
    const auto parts = SplitUrl(url, 80);
    const WinsockSession winsock;
    if (!parts || !winsock.Started()) {
        return {};
    }
    const auto server = ResolveIPv4(parts->host, parts->port);
    if (!server || total.Remaining() == 0) {
        return {};
    }
    Connection connection(total);
    if (!connection.Open(*server, boundIP, timeouts.connectMs) ||
        !connection.SendAll(RequestText(*parts, userAgent))) {
        return {};
    }
    return ReadHttpReply(connection);
}

} // namespace vek
