#pragma once
// One HTTP/1.x reply read from the bytes of its connection: the status line, the header fields and
// the body, framed by chunked transfer coding, Content-Length or the end of the connection. The
// bytes come from a ReplySource, so the same reader runs over a socket in the program and over
// plain buffers in tests and fuzzing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vek {

// The most bytes any reply body may hold, on every road: far above a real reply (a host list of
// tens of thousands of hosts), far below what strains a 32-bit process.
inline constexpr std::size_t kMaxReplyBodyBytes = 4 * 1024 * 1024;

struct HttpReply {
    int status = -1;       // the status line's code; -1 while no status line has arrived
    bool complete = false; // the whole body arrived
    bool tooLarge = false; // the body exceeds kMaxReplyBodyBytes: no answer was taken
    std::string body;
};

inline bool IsSuccessStatus(int status) { return status >= 200 && status <= 299; }

// The body on a success status that arrived whole; "-1" when no status line came or the body was
// too large; the status code in decimal on any other status or after a failure past the status
// line.
std::string HttpGetResultText(const HttpReply& reply);

// The bytes of one connection.
class ReplySource {
public:
    enum class Receipt { Data, Closed, Failed };
    virtual ~ReplySource() = default;
    // Appends at least one byte to buffer, or tells why none came.
    virtual Receipt Receive(std::string& buffer) = 0;
};

// Reads the status line and, on a success status, the header and the body.
HttpReply ReadHttpReply(ReplySource& source);

// A size field's digits (base 10 or 16) as a number, saturated at UINT64_MAX so that a size too
// long for any integer stays too large on every machine; nothing when it is empty or holds another
// character.
std::optional<std::uint64_t> ParseSizeField(std::string_view digits, int base);

// Whether a body of this declared size stays within kMaxReplyBodyBytes.
inline bool FitsReplyBody(std::uint64_t size) { return size <= kMaxReplyBodyBytes; }

} // namespace vek
