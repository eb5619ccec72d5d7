#include "common/HttpReplyReader.h"

#include "common/Ascii.h"

#include <limits>

namespace vek {
namespace {

constexpr std::size_t kMaxLineLength = 65536;

static_assert(kMaxReplyBodyBytes <= std::numeric_limits<std::size_t>::max());

enum class BodyRead { Whole, Cut, TooLarge };

// Lines and body bytes, taken from the source as they are needed.
class ReplyReader {
public:
    explicit ReplyReader(ReplySource& source) : source_(source) {}

    // One line without its CR LF (a bare LF also ends it); nothing when the connection ends first
    // or the line is longer than kMaxLineLength, however the bytes arrive.
    std::optional<std::string> Line() {
        for (;;) {
            const std::size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                if (end > kMaxLineLength) {
                    return std::nullopt;
                }
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

    // Everything up to the end of the connection, as long as it fits with what out holds.
    BodyRead ToEnd(std::string& out) {
        for (;;) {
            if (out.size() + buffer_.size() > kMaxReplyBodyBytes) {
                return BodyRead::TooLarge;
            }
            out += buffer_;
            buffer_.clear();
            const ReplySource::Receipt receipt = source_.Receive(buffer_);
            if (receipt == ReplySource::Receipt::Closed) {
                return BodyRead::Whole;
            }
            if (receipt == ReplySource::Receipt::Failed) {
                return BodyRead::Cut;
            }
        }
    }

private:
    bool More() { return source_.Receive(buffer_) == ReplySource::Receipt::Data; }

    ReplySource& source_;
    std::string buffer_;
};

// Without the blanks and tabs around it, as header values are read.
std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The last coding of a Transfer-Encoding list; empty list elements do not count.
std::string_view LastCoding(std::string_view value) {
    for (;;) {
        const std::size_t comma = value.rfind(',');
        const std::string_view last =
            TrimBlanks(comma == std::string_view::npos ? value : value.substr(comma + 1));
        if (!last.empty() || comma == std::string_view::npos) {
            return last;
        }
        value = value.substr(0, comma);
    }
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

struct BodyFraming {
    bool transferEncoded = false;
    bool chunked = false; // the last transfer coding is "chunked"
    std::optional<std::uint64_t> contentLength;
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
        const std::string_view name = TrimBlanks(std::string_view(*line).substr(0, colon));
        const std::string_view value = TrimBlanks(std::string_view(*line).substr(colon + 1));
        if (EqualsIgnoringAsciiCase(name, "Transfer-Encoding")) {
            framing.transferEncoded = true;
            framing.chunked = EqualsIgnoringAsciiCase(LastCoding(value), "chunked");
        } else if (EqualsIgnoringAsciiCase(name, "Content-Length")) {
            framing.contentLength = ParseSizeField(value, 10);
            framing.valid = framing.valid && framing.contentLength.has_value();
        }
    }
}

BodyRead ReadChunk(ReplyReader& reader, std::uint64_t size, std::string& body) {
    if (size > kMaxReplyBodyBytes - body.size()) {
        return BodyRead::TooLarge;
    }
    if (!reader.Exactly(static_cast<std::size_t>(size), body)) {
        return BodyRead::Cut;
    }
    const auto rest = reader.Line();
    return rest && rest->empty() ? BodyRead::Whole : BodyRead::Cut;
}

BodyRead ReadChunkedBody(ReplyReader& reader, std::string& body) {
    for (;;) {
        const auto sizeLine = reader.Line();
        if (!sizeLine) {
            return BodyRead::Cut;
        }
        const std::size_t end = sizeLine->find_first_of("; \t");
        const auto size = ParseSizeField(std::string_view(*sizeLine).substr(0, end), 16);
        if (!size) {
            return BodyRead::Cut;
        }
        if (*size == 0) {
            // Trailer fields, up to the empty line.
            for (;;) {
                const auto trailer = reader.Line();
                if (!trailer) {
                    return BodyRead::Cut;
                }
                if (trailer->empty()) {
                    return BodyRead::Whole;
                }
            }
        }
        const BodyRead chunk = ReadChunk(reader, *size, body);
        if (chunk != BodyRead::Whole) {
            return chunk;
        }
    }
}

BodyRead ReadBody(ReplyReader& reader, int status, std::string& body) {
    BodyFraming framing;
    if (!ReadHeaders(reader, framing) || !framing.valid) {
        return BodyRead::Cut;
    }
    if (status == 204) {
        return BodyRead::Whole;
    }
    if (framing.chunked) {
        return ReadChunkedBody(reader, body);
    }
    // A transfer coding other than chunked last leaves the end of the connection as the only
    // end of the body, whatever Content-Length says.
    if (framing.contentLength && !framing.transferEncoded) {
        if (!FitsReplyBody(*framing.contentLength)) {
            return BodyRead::TooLarge;
        }
        return reader.Exactly(static_cast<std::size_t>(*framing.contentLength), body)
                   ? BodyRead::Whole
                   : BodyRead::Cut;
    }
    return reader.ToEnd(body);
}

} // namespace

std::string HttpGetResultText(const HttpReply& reply) {
    if (reply.tooLarge) {
        return "-1";
    }
    if (reply.status >= 0 && reply.complete && IsSuccessStatus(reply.status)) {
        return reply.body;
    }
    return std::to_string(reply.status);
}

std::optional<std::uint64_t> ParseSizeField(std::string_view digits, int base) {
    if (digits.empty()) {
        return std::nullopt;
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (const char c : digits) {
        // A letter's value is 10 or more, which base 10 refuses.
        const int digitValue = HexValue(c);
        if (digitValue < 0 || digitValue >= base)
            return std::nullopt;
        const auto digit = static_cast<unsigned>(digitValue);
        const auto b = static_cast<std::uint64_t>(base);
        value = value > (kMax - digit) / b ? kMax : value * b + digit;
    }
    return value;
}

HttpReply ReadHttpReply(ReplySource& source) {
    HttpReply reply;
    ReplyReader reader(source);
    const auto statusLine = reader.Line();
    const auto status = statusLine ? StatusCode(*statusLine) : std::nullopt;
    if (!status) {
        return reply;
    }
    reply.status = *status;
    // Only a success status needs its body; every other status is the result as it stands.
    if (IsSuccessStatus(reply.status)) {
        const BodyRead read = ReadBody(reader, reply.status, reply.body);
        reply.complete = read == BodyRead::Whole;
        reply.tooLarge = read == BodyRead::TooLarge;
        if (reply.tooLarge) {
            reply.body.clear();
        }
    }
    return reply;
}

} // namespace vek
