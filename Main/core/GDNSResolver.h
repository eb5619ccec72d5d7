#pragma once
// The DNS-format resolver of the public-address detection: one query over UDP, whose socket can
// be bound to a given local address and is connected to the server, one reply datagram from the
// server awaited, its records kept as received. The query id comes from the cryptographic random
// source, and the reply must carry it and the query's question.
#include "common/DnsMessage.h"

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vek {

class EDnsResolverError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TGDNSResolver {
public:
    std::string Host;
    std::uint16_t Port = 53;
    // Type codes asked for, one question each.
    std::vector<std::uint16_t> QueryType;
    DWORD WaitingTime = 5000;
    bool AllowRecursiveQueries = true;

    // The reply's records: answer, authority, then additional.
    std::vector<DnsRecord> QueryResult;

    // Sends the query for Domain from BoundIP (empty: any local address and port) and reads the
    // one reply that arrives within WaitingTime. No reply, or one of 1 to 4 bytes, leaves
    // QueryResult empty; a failed send, a damaged or refused reply, or one without records
    // raises EDnsResolverError.
    void Resolve(const std::string& domain, const std::string& boundIP,
                 std::uint16_t queryClass = kDnsClassIN);

private:
    std::string Exchange(const std::string& query, const std::string& boundIP);
};

// The first record's data as dotted decimal numbers after Resolve; empty when no record came or
// on any error, which is never reported.
std::string FirstRecordText(TGDNSResolver& resolver, const std::string& domain,
                            const std::string& boundIP);

} // namespace vek
