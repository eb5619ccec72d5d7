#include "common/DnsMessage.h"

namespace vek {
namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kRecordFixedSize = 10;  // TYPE, CLASS, TTL, RDLENGTH
constexpr std::size_t kQuestionFixedSize = 4; // QTYPE, QCLASS
constexpr std::size_t kMaxLabel = 255;

void Put16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

class Reader {
public:
    explicit Reader(std::string_view message) : message_(message) {}

    std::size_t Size() const { return message_.size(); }
    unsigned Byte(std::size_t at) const { return static_cast<unsigned char>(message_[at]); }
    std::uint16_t U16(std::size_t at) const {
        return static_cast<std::uint16_t>((Byte(at) << 8) | Byte(at + 1));
    }
    std::uint32_t U32(std::size_t at) const {
        return (static_cast<std::uint32_t>(U16(at)) << 16) | U16(at + 2);
    }
    std::string_view Bytes(std::size_t at, std::size_t count) const {
        return message_.substr(at, count);
    }

    // Reads the name at `at`, following compression pointers. Each pointer must lead to an
    // offset before the segment that holds it (a "prior occurrence", as RFC 1035 puts it), so
    // every chain ends; a pointer that loops or leaves the message is an error. On success
    // `next` is the offset after the name as it stands at `at`.
    bool Name(std::size_t at, std::string& name, std::size_t& next) const {
        name.clear();
        std::size_t segmentStart = at;
        std::size_t pos = at;
        bool jumped = false;
        for (;;) {
            if (pos >= Size()) {
                return false;
            }
            const unsigned length = Byte(pos);
            if ((length & 0xC0) == 0xC0) {
                if (pos + 1 >= Size()) {
                    return false;
                }
                const std::size_t target = ((length & 0x3F) << 8) | Byte(pos + 1);
                if (target >= segmentStart) {
                    return false;
                }
                if (!jumped) {
                    next = pos + 2;
                    jumped = true;
                }
                segmentStart = target;
                pos = target;
                continue;
            }
            if ((length & 0xC0) != 0) {
                return false; // the reserved label types
            }
            if (length == 0) {
                if (!jumped) {
                    next = pos + 1;
                }
                return true;
            }
            if (pos + 1 + length > Size()) {
                return false;
            }
            if (!name.empty()) {
                name += '.';
            }
            name.append(Bytes(pos + 1, length));
            pos += 1 + length;
        }
    }

private:
    std::string_view message_;
};

// Reads one record at `pos` and moves `pos` past its name, fixed fields and RDLENGTH bytes.
DnsReplyError ReadRecord(const Reader& reader, std::size_t& pos, DnsRecord& record) {
    std::size_t after = 0;
    if (!reader.Name(pos, record.name, after)) {
        return DnsReplyError::BadName;
    }
    if (after + kRecordFixedSize > reader.Size()) {
        return DnsReplyError::RecordOutside;
    }
    record.type = reader.U16(after);
    record.recordClass = reader.U16(after + 2);
    record.ttl = reader.U32(after + 4);
    record.rdLength = reader.U16(after + 8);
    const std::size_t dataStart = after + kRecordFixedSize;
    record.rdata = std::string(reader.Bytes(dataStart, record.rdLength));
    pos = dataStart + record.rdLength;
    return DnsReplyError::None;
}

} // namespace

std::optional<std::string> BuildDnsQuery(std::string_view domain, const DnsQueryParams& params) {
    std::string qname;
    std::size_t start = 0;
    while (start <= domain.size()) {
        std::size_t dot = domain.find('.', start);
        if (dot == std::string_view::npos) {
            dot = domain.size();
        }
        const std::string_view label = domain.substr(start, dot - start);
        if (label.size() > kMaxLabel) {
            return std::nullopt;
        }
        if (!label.empty()) {
            qname += static_cast<char>(label.size());
            qname.append(label);
        }
        start = dot + 1;
    }
    qname += '\0';

    std::string query;
    Put16(query, params.id);
    Put16(query, params.recursionDesired ? 0x0100 : 0x0000);
    Put16(query, static_cast<std::uint16_t>(params.types.size()));
    Put16(query, 0);
    Put16(query, 0);
    Put16(query, 0);
    for (const std::uint16_t type : params.types) {
        query += qname;
        Put16(query, type);
        Put16(query, params.queryClass);
    }
    return query;
}

DnsReply ParseDnsReply(std::string_view message, std::uint16_t expectedId) {
    DnsReply reply;
    const Reader reader(message);
    if (message.size() < kHeaderSize) {
        reply.error = DnsReplyError::TooShort;
        return reply;
    }
    if (reader.U16(0) != expectedId) {
        reply.error = DnsReplyError::WrongId;
        return reply;
    }
    if ((reader.Byte(3) & 0x0F) != 0) {
        reply.error = DnsReplyError::ServerError;
        return reply;
    }
    const unsigned questions = reader.U16(4);
    const std::size_t records =
        std::size_t{reader.U16(6)} + std::size_t{reader.U16(8)} + std::size_t{reader.U16(10)};
    if (records == 0 || message.size() == kHeaderSize) {
        return reply;
    }
    std::size_t pos = kHeaderSize;
    // Every question is read past; the echo servers send one, or none.
    for (unsigned q = 0; q < questions; ++q) {
        std::string ignored;
        std::size_t after = 0;
        if (!reader.Name(pos, ignored, after)) {
            reply.error = DnsReplyError::BadName;
            return reply;
        }
        if (after + kQuestionFixedSize > message.size()) {
            reply.error = DnsReplyError::RecordOutside;
            return reply;
        }
        pos = after + kQuestionFixedSize;
    }
    for (std::size_t r = 0; r < records; ++r) {
        DnsRecord record;
        const DnsReplyError error = ReadRecord(reader, pos, record);
        if (error != DnsReplyError::None) {
            reply.error = error;
            reply.records.clear();
            return reply;
        }
        reply.records.push_back(std::move(record));
    }
    return reply;
}

std::optional<std::string> DottedRecordData(const DnsRecord& record) {
    if (record.rdata.size() < record.rdLength) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 0; i < record.rdLength; ++i) {
        if (i > 0) {
            text += '.';
        }
        text += std::to_string(static_cast<unsigned char>(record.rdata[i]));
    }
    return text;
}

} // namespace vek
