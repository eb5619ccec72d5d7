#pragma once
// The scripted HTTP routes of the test server, served over plain TCP or TLS alike.
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace vek::servers {

class Stream {
public:
    virtual ~Stream() = default;
    // Bytes read (0: the peer closed, < 0: error or time-out).
    virtual long Read(char* buffer, std::size_t size) = 0;
    virtual bool Write(std::string_view data) = 0;
};

// Every request target received, counted, so that tests can ask what arrived.
class RequestLog {
public:
    void Add(const std::string& target);
    int Count(const std::string& target);

private:
    std::mutex mutex_;
    std::map<std::string, int> counts_;
};

struct ConnectionInfo {
    std::string peer;  // the client's address
    std::string local; // the address that received the connection
    // The IP-echo listeners answer "ip.php" with their own address, so tests can tell them apart.
    bool answersWithOwnAddress = false;
};

// Reads one request and answers it by the route of its target:
//   /body /empty /missing (404) /redirect/X (302 to /landing/X) /landing/X
//   /cut-status (status line, then close) /cut-body (Content-Length 100, 7 bytes, close)
//   /chunked /chunked-cut /close (body ended by closing) /silent (never answers) /slow (1.5 s)
//   /sized/N and /sized-close/N (N bytes, with Content-Length or ended by closing)
//   /length-wraps (Content-Length 2^32 + 7, 7 bytes) /stall-body (7 of 100 bytes, then nothing)
//   /ip.php (the peer's address, with blanks and CR LF around) /peer /agent
//   /request-line/... (the raw request line) /count/X (how often target /X arrived)
// A request that is not one well-formed GET head, alone on its connection, gets 400.
void ServeHttp(Stream& stream, const ConnectionInfo& info, RequestLog& log);

} // namespace vek::servers
