#include "tests/servers/HttpScript.h"

#include <chrono>
#include <thread>
#include <vector>

namespace vek::servers {
namespace {

constexpr std::size_t kMaxHead = 65536;

struct Request {
    std::string line;
    std::string target;
    std::string userAgent;
};

bool HasControlBytes(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

bool IsTargetByte(unsigned char byte) { return byte > 0x20 && byte < 0x7F; }

// A well-formed "GET <target> HTTP/1.1" head with "Name: value" fields, nothing after it.
bool ParseHead(const std::string& data, Request& request) {
    const std::size_t end = data.find("\r\n\r\n");
    if (end == std::string::npos || end + 4 != data.size()) {
        return false;
    }
    std::size_t pos = 0;
    bool first = true;
    while (pos < end) {
        std::size_t next = data.find("\r\n", pos);
        const std::string line = data.substr(pos, next - pos);
        pos = next + 2;
        if (HasControlBytes(line)) {
            return false;
        }
        if (first) {
            first = false;
            if (line.rfind("GET ", 0) != 0 || line.size() < 14 ||
                line.compare(line.size() - 9, 9, " HTTP/1.1") != 0) {
                return false;
            }
            request.line = line;
            request.target = line.substr(4, line.size() - 13);
            for (const char c : request.target) {
                if (!IsTargetByte(static_cast<unsigned char>(c))) {
                    return false;
                }
            }
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            return false;
        }
        if (line.compare(0, colon, "User-Agent") == 0) {
            request.userAgent = line.substr(colon + 1);
            if (!request.userAgent.empty() && request.userAgent.front() == ' ') {
                request.userAgent.erase(0, 1);
            }
        }
    }
    return !first;
}

// The request head, read until its empty line (and whatever came with it).
std::string ReadHead(Stream& stream) {
    std::string data;
    char buffer[4096];
    while (data.find("\r\n\r\n") == std::string::npos && data.size() < kMaxHead) {
        const long count = stream.Read(buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        data.append(buffer, static_cast<std::size_t>(count));
    }
    return data;
}

void Reply(Stream& stream, const std::string& status, const std::string& body,
           const std::string& fields = "") {
    stream.Write("HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
                 "\r\nConnection: close\r\n" + fields + "\r\n" + body);
}

void WaitForClose(Stream& stream) {
    char buffer[256];
    while (stream.Read(buffer, sizeof buffer) > 0) {
    }
}

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

void RequestLog::Add(const std::string& target) {
    const std::lock_guard lock(mutex_);
    ++counts_[target];
}

int RequestLog::Count(const std::string& target) {
    const std::lock_guard lock(mutex_);
    const auto found = counts_.find(target);
    return found == counts_.end() ? 0 : found->second;
}

void ServeHttp(Stream& stream, const ConnectionInfo& info, RequestLog& log) {
    Request request;
    if (!ParseHead(ReadHead(stream), request)) {
        Reply(stream, "400 Bad Request", "malformed");
        return;
    }
    const std::string& target = request.target;
    log.Add(target);
    const std::string path = target.substr(0, target.find('?'));
    if (path == "/body") {
        Reply(stream, "200 OK", "hello body");
    } else if (path == "/empty") {
        Reply(stream, "200 OK", "");
    } else if (path == "/missing") {
        Reply(stream, "404 Not Found", "missing page");
    } else if (StartsWith(path, "/redirect/")) {
        Reply(stream, "302 Found", "moved", "Location: /landing/" + path.substr(10) + "\r\n");
    } else if (StartsWith(path, "/landing/")) {
        Reply(stream, "200 OK", "landed");
    } else if (path == "/cut-status") {
        stream.Write("HTTP/1.1 200 OK\r\n");
    } else if (path == "/cut-body") {
        stream.Write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
    } else if (path == "/chunked") {
        stream.Write("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                     "6;note=1\r\nhello \r\n7\r\nchunked\r\n0\r\nTrailer-Field: x\r\n\r\n");
    } else if (path == "/chunked-cut") {
        stream.Write("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n6\r\nhello \r\n");
    } else if (path == "/close") {
        stream.Write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nbody until close");
    } else if (StartsWith(path, "/sized/")) {
        Reply(stream, "200 OK", std::string(std::stoul(path.substr(7)), 'x'));
    } else if (StartsWith(path, "/sized-close/")) {
        stream.Write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" +
                     std::string(std::stoul(path.substr(13)), 'x'));
    } else if (path == "/length-wraps") {
        // 2^32 + 7: read into 32 bits it would say 7.
        stream.Write("HTTP/1.1 200 OK\r\nContent-Length: 4294967303\r\n\r\n1234567");
    } else if (path == "/stall-body") {
        stream.Write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
        WaitForClose(stream);
    } else if (path == "/silent") {
        WaitForClose(stream);
    } else if (path == "/slow") {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        Reply(stream, "200 OK", "slow body");
    } else if (path == "/ip.php") {
        Reply(stream, "200 OK",
              " \t" + (info.answersWithOwnAddress ? info.local : info.peer) + " \r\n");
    } else if (StartsWith(path, "/padded/")) {
        // The echo servers' form of answer around a chosen text: "/padded/<text>/ip.php".
        const std::size_t textEnd = path.find('/', 8);
        Reply(stream, "200 OK", " \t" + path.substr(8, textEnd - 8) + " \r\n");
    } else if (path == "/peer") {
        Reply(stream, "200 OK", info.peer);
    } else if (path == "/agent") {
        Reply(stream, "200 OK", request.userAgent);
    } else if (StartsWith(path, "/request-line/")) {
        Reply(stream, "200 OK", request.line);
    } else if (StartsWith(target, "/count/")) {
        Reply(stream, "200 OK", std::to_string(log.Count(target.substr(6))));
    } else {
        Reply(stream, "404 Not Found", "no route");
    }
}

} // namespace vek::servers
