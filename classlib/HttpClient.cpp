#include "HttpClient.h"

#include "Deadline.h"
#include "RequestLine.h"
#include "SocketSupport.h"
#include "UrlParts.h"
#include "WinHandles.h"

#include <algorithm>
#include <optional>

namespace vek {
namespace {

constexpr std::size_t kMaxLineLength = 65536;
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
class Connection {
public:
    enum class Receipt { Data, Closed, Failed };

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

    Receipt Receive(std::string& buffer) {
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

// Reads the reply's lines and body bytes from the connection.
class ReplyReader {
public:
    explicit ReplyReader(Connection& connection) : connection_(connection) {}

    // One line without its CR LF (a bare LF also ends it).
    std::optional<std::string> Line() {
        for (;;) {
            const std::size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                return line;
            }
            if (buffer_.size() > kMaxLineLength || !More()) {
                return std::nullopt;
            }
        }
    }

    bool Exactly(std::size_t count, std::string& out) {
        while (buffer_.size() < count) {
            if (!More()) {
                return false;
            }
        }
        out.append(buffer_, 0, count);
        buffer_.erase(0, count);
        return true;
    }

    // Everything up to the end of the connection; false when it failed instead of closing.
    bool ToEnd(std::string& out) {
        for (;;) {
            out += buffer_;
            buffer_.clear();
            const Connection::Receipt receipt = connection_.Receive(buffer_);
            if (receipt == Connection::Receipt::Closed) {
                return true;
            }
            if (receipt == Connection::Receipt::Failed) {
                return false;
            }
        }
    }

private:
    bool More() { return connection_.Receive(buffer_) == Connection::Receipt::Data; }

    Connection& connection_;
    std::string buffer_;
};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// "HTTP/1.x DDD ..." gives DDD.
std::optional<int> StatusCode(std::string_view line) {
    if (line.size() < 12 || line.substr(0, 5) != "HTTP/" || line[6] != '.' || line[8] != ' ' ||
        (line.size() > 12 && line[12] != ' ')) {
        return std::nullopt;
    }
    int code = 0;
    for (std::size_t i = 9; i < 12; ++i) {
        if (line[i] < '0' || line[i] > '9') {
            return std::nullopt;
        }
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

std::optional<std::size_t> ParseNumber(std::string_view text, int base) {
    if (text.empty() || text.size() > 15) {
        return std::nullopt;
    }
    std::size_t value = 0;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f')
            digit = LowerAscii(c) - 'a' + 10;
        else
            return std::nullopt;
        value = value * static_cast<std::size_t>(base) + static_cast<std::size_t>(digit);
    }
    return value;
}

struct BodyFraming {
    bool chunked = false;
    std::optional<std::size_t> contentLength;
    bool valid = true;
};

// Reads the header fields up to the empty line; false when they do not arrive whole.
bool ReadHeaders(ReplyReader& reader, BodyFraming& framing) {
    for (;;) {
        const auto line = reader.Line();
        if (!line) {
            return false;
        }
        if (line->empty()) {
            return true;
        }
        const std::size_t colon = line->find(':');
        if (colon == std::string::npos) {
            continue;
        }
        const std::string_view name = Trim(std::string_view(*line).substr(0, colon));
        const std::string_view value = Trim(std::string_view(*line).substr(colon + 1));
        if (EqualsNoCase(name, "Transfer-Encoding")) {
            framing.chunked =
                value.size() >= 7 && EqualsNoCase(value.substr(value.size() - 7), "chunked");
        } else if (EqualsNoCase(name, "Content-Length")) {
            framing.contentLength = ParseNumber(value, 10);
            framing.valid = framing.valid && framing.contentLength.has_value();
        }
    }
}

bool ReadChunkedBody(ReplyReader& reader, std::string& body) {
    for (;;) {
        const auto sizeLine = reader.Line();
        if (!sizeLine) {
            return false;
        }
        const std::size_t end = sizeLine->find_first_of("; \t");
        const auto size = ParseNumber(std::string_view(*sizeLine).substr(0, end), 16);
        if (!size) {
            return false;
        }
        if (*size == 0) {
            // Trailer fields, up to the empty line.
            for (;;) {
                const auto trailer = reader.Line();
                if (!trailer) {
                    return false;
                }
                if (trailer->empty()) {
                    return true;
                }
            }
        }
        if (!reader.Exactly(*size, body)) {
            return false;
        }
        const auto rest = reader.Line();
        if (!rest || !rest->empty()) {
            return false;
        }
    }
}

bool ReadBody(ReplyReader& reader, int status, std::string& body) {
    BodyFraming framing;
    if (!ReadHeaders(reader, framing) || !framing.valid) {
        return false;
    }
    if (status == 204) {
        return true;
    }
    if (framing.chunked) {
        return ReadChunkedBody(reader, body);
    }
    if (framing.contentLength) {
        return reader.Exactly(*framing.contentLength, body);
    }
    return reader.ToEnd(body);
}

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
    HttpReply reply;
    const Deadline total(timeouts.totalMs);
    const auto parts = SplitUrl(url, 80);
    const WinsockSession winsock;
    if (!parts || !winsock.Started()) {
        return reply;
    }
    const auto server = ResolveIPv4(parts->host, parts->port);
    if (!server || total.Remaining() == 0) {
        return reply;
    }
    Connection connection(total);
    if (!connection.Open(*server, boundIP, timeouts.connectMs) ||
        !connection.SendAll(RequestText(*parts, userAgent))) {
        return reply;
    }
    ReplyReader reader(connection);
    const auto statusLine = reader.Line();
    const auto status = statusLine ? StatusCode(*statusLine) : std::nullopt;
    if (!status) {
        return reply;
    }
    reply.status = *status;
    // Only a success status needs its body; every other status is the result as it stands.
    if (IsSuccessStatus(reply.status)) {
        reply.complete = ReadBody(reader, reply.status, reply.body);
    }
    return reply;
}

} // namespace vek
