#include "tests/servers/DnsScript.h"

#include <initializer_list>

namespace vek::servers {
namespace {

struct Question {
    std::string firstLabel;
    std::string bytes; // the question as sent: name, type and class
};

std::optional<Question> ReadQuestion(std::string_view query) {
    if (query.size() < 12) {
        return std::nullopt;
    }
    Question question;
    std::size_t pos = 12;
    while (pos < query.size() && query[pos] != 0) {
        const auto length = static_cast<unsigned char>(query[pos]);
        if (length > 63 || pos + 1 + length > query.size()) {
            return std::nullopt;
        }
        if (pos == 12) {
            question.firstLabel = std::string(query.substr(pos + 1, length));
        }
        pos += 1 + length;
    }
    if (pos + 5 > query.size()) {
        return std::nullopt;
    }
    question.bytes = std::string(query.substr(12, pos + 5 - 12));
    return question;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

std::string U16(unsigned value) {
    return Bytes({static_cast<int>(value >> 8), static_cast<int>(value & 0xFF)});
}

// A record owned by the question's name (a pointer to offset 12).
std::string Record(unsigned type, std::string_view data, int rdLength = -1) {
    const unsigned length =
        rdLength < 0 ? static_cast<unsigned>(data.size()) : static_cast<unsigned>(rdLength);
    return Bytes({0xC0, 12}) + U16(type) + U16(1) + Bytes({0, 0, 0x0E, 0x10}) + U16(length) +
           std::string(data);
}

std::string Header(std::string_view query, unsigned idDelta, unsigned rcode, unsigned an,
                   unsigned ns) {
    const unsigned id =
        ((static_cast<unsigned char>(query[0]) << 8) | static_cast<unsigned char>(query[1])) +
        idDelta;
    return U16(id & 0xFFFF) + Bytes({0x81, static_cast<int>(0x80 | rcode)}) + U16(1) + U16(an) +
           U16(ns) + U16(0);
}

} // namespace

std::optional<std::string> ScriptedDnsReply(std::string_view query, std::uint8_t ownLastByte) {
    const auto question = ReadQuestion(query);
    if (!question) {
        return std::nullopt;
    }
    const std::string& label = question->firstLabel;
    const std::string& q = question->bytes;
    const std::string aReply = Header(query, 0, 0, 1, 0) + q + Record(1, Bytes({203, 0, 113, 7}));
    if (label == "ip") {
        return Header(query, 0, 0, 1, 0) + q + Record(1, Bytes({198, 51, 100, ownLastByte}));
    }
    if (label == "a" || label == "elsewhere") {
        return aReply;
    }
    if (label == "otherq") {
        std::string other = q;
        other[1] = 'x';
        return Header(query, 0, 0, 1, 0) + other + Record(1, Bytes({203, 0, 113, 7}));
    }
    if (label == "cname") {
        return Header(query, 0, 0, 2, 0) + q + Record(5, Bytes({1, 'x', 0xC0, 12})) +
               Record(1, Bytes({192, 0, 2, 1}));
    }
    if (label == "soa") {
        const std::string soaData = Bytes({1, 'n', 0, 1, 'h', 0}) + std::string(20, '\1');
        return Header(query, 0, 0, 0, 1) + q + Record(6, soaData);
    }
    if (label == "aaaa") {
        return Header(query, 0, 0, 1, 0) + q +
               Record(28, Bytes({0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    }
    if (label == "zero") {
        return Header(query, 0, 0, 1, 0) + q + Record(1, "");
    }
    if (label == "wrongid") {
        return Header(query, 1, 0, 1, 0) + q + Record(1, Bytes({203, 0, 113, 7}));
    }
    if (label == "rcode3") {
        return Header(query, 0, 3, 0, 0) + q;
    }
    if (label.rfind("short", 0) == 0 && label.size() > 5) {
        return aReply.substr(0, std::stoul(label.substr(5)));
    }
    if (label == "truncated") {
        return Header(query, 0, 0, 1, 0) + q + Record(1, Bytes({10, 0}), 4);
    }
    if (label == "loop") {
        const std::size_t recordAt = 12 + q.size();
        return Header(query, 0, 0, 1, 0) + q + Bytes({0xC0, static_cast<int>(recordAt)}) +
               Record(1, Bytes({1, 2, 3, 4})).substr(2);
    }
    if (label == "norecords") {
        return Header(query, 0, 0, 0, 0) + q;
    }
    return std::nullopt; // "silent", and anything unknown
}

bool RepliesFromSibling(std::string_view query) {
    const auto question = ReadQuestion(query);
    return question && question->firstLabel == "elsewhere";
}

std::optional<std::string> QueryEchoReply(std::string_view query) {
    const auto question = ReadQuestion(query);
    if (!question) {
        return std::nullopt;
    }
    return Header(query, 0, 0, 1, 0) + question->bytes + Record(1, query);
}

} // namespace vek::servers
