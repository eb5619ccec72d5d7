#include "provider/DnsEcho.h"

#include "common/Ascii.h"

namespace vek::provider {
namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::uint8_t kFlagQR = 0x80;
constexpr std::uint8_t kFlagAA = 0x04;
constexpr std::uint8_t kFlagRD = 0x01;
constexpr std::uint8_t kOpcodeMask = 0x78;
constexpr std::uint8_t kRcodeNameError = 3;
constexpr std::uint16_t kTypeA = 1;
constexpr std::uint16_t kClassIn = 1;

std::uint16_t Read16(std::string_view data, std::size_t pos) {
    return static_cast<std::uint16_t>((static_cast<std::uint8_t>(data[pos]) << 8) |
                                      static_cast<std::uint8_t>(data[pos + 1]));
}

void Append16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

// The end of the question's name (after its zero byte), and whether the name is exactly "ip"
// in any letter case. Compression pointers cannot stand in a query's only name.
std::optional<std::size_t> ReadQuestionName(std::string_view query, bool& isIp) {
    std::size_t pos = kHeaderSize;
    std::string name;
    while (pos < query.size()) {
        const auto length = static_cast<std::uint8_t>(query[pos++]);
        if (length == 0) {
            isIp = name == "ip";
            return pos;
        }
        if (length > 63 || pos + length > query.size())
            return std::nullopt;
        if (!name.empty())
            name += '.';
        name += LowerAscii(query.substr(pos, length));
        pos += length;
        if (name.size() > 255)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> DnsEchoReply(std::string_view query,
                                        const std::array<std::uint8_t, 4>& address) {
    if (query.size() < kHeaderSize)
        return std::nullopt;
    const auto flags = static_cast<std::uint8_t>(query[2]);
    if ((flags & kFlagQR) != 0 || (flags & kOpcodeMask) != 0)
        return std::nullopt;
    // Additional records (an EDNS OPT record, say) are ignored and not answered.
    if (Read16(query, 4) != 1 || Read16(query, 6) != 0 || Read16(query, 8) != 0) {
        return std::nullopt;
    }
    bool isIp = false;
    const auto nameEnd = ReadQuestionName(query, isIp);
    if (!nameEnd || *nameEnd + 4 > query.size())
        return std::nullopt;
    const std::size_t questionEnd = *nameEnd + 4;
    const bool answers =
        isIp && Read16(query, *nameEnd) == kTypeA && Read16(query, *nameEnd + 2) == kClassIn;

    std::string reply(query.substr(0, 2));
    reply += static_cast<char>(kFlagQR | kFlagAA | (flags & kFlagRD));
    reply += static_cast<char>(isIp ? 0 : kRcodeNameError);
    Append16(reply, 1);
    Append16(reply, answers ? 1 : 0);
    Append16(reply, 0);
    Append16(reply, 0);
    reply.append(query.substr(kHeaderSize, questionEnd - kHeaderSize));
    if (answers) {
        Append16(reply, 0xC000 | kHeaderSize); // the name: a pointer to the question's
        Append16(reply, kTypeA);
        Append16(reply, kClassIn);
        Append16(reply, 0); // TTL 0: the answer must never be cached
        Append16(reply, 0);
        Append16(reply, 4);
        for (const auto byte : address)
            reply += static_cast<char>(byte);
    }
    return reply;
}

} // namespace vek::provider
