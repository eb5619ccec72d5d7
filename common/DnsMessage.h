#pragma once
// The DNS message codec of the public-address detection (RFC 1035 section 4.1): the query for one
// name and the reply read into its resource records, each record's data kept as received.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

inline constexpr std::uint16_t kDnsTypeA = 1;
inline constexpr std::uint16_t kDnsClassIN = 1;

struct DnsQueryParams {
    std::uint16_t id = 0;
    bool recursionDesired = true;
    // One question per type, in this order.
    std::vector<std::uint16_t> types;
    std::uint16_t queryClass = kDnsClassIN;
};

// The query message for the domain, or nothing when the domain has a label longer than 255 bytes.
// The domain is split at each "." and written as it is, without change of case.
std::optional<std::string> BuildDnsQuery(std::string_view domain, const DnsQueryParams& params);

struct DnsRecord {
    std::string name; // owner name, compression pointers followed
    std::uint16_t type = 0;
    std::uint16_t recordClass = 0;
    std::uint32_t ttl = 0;
    std::uint16_t rdLength = 0;
    // The data bytes as received: fewer than rdLength when the message ends early.
    std::string rdata;
};

enum class DnsReplyError {
    None,
    TooShort,      // fewer than 12 bytes
    WrongId,       // not the query's ID
    ServerError,   // RCODE not 0
    BadName,       // a name that runs past the end, loops or uses a reserved label type
    RecordOutside, // a question or record header that lies past the end
};

struct DnsReply {
    DnsReplyError error = DnsReplyError::None;
    // Answer, then authority, then additional records, in message order.
    std::vector<DnsRecord> records;
};

// Reads a reply to the query with the given ID.
DnsReply ParseDnsReply(std::string_view message, std::uint16_t expectedId);

// The record's data bytes as unsigned decimal numbers joined by "." ("" for no data), or
// nothing when fewer bytes than rdLength arrived.
std::optional<std::string> DottedRecordData(const DnsRecord& record);

} // namespace vek
