#include "GDNSResolver.h"

#include "Seams.h"
#include "SocketSupport.h"
#include "WinHandles.h"

namespace vek {
namespace {

constexpr int kReceiveBufferSize = 8192;
// Replies this short are ignored, without an error.
constexpr std::size_t kIgnoredReplyLength = 4;

} // namespace

void TGDNSResolver::Resolve(const std::string& domain, const std::string& boundIP,
                            std::uint16_t queryClass) {
    QueryResult.clear();
    const auto id = static_cast<std::uint16_t>(seams::Random().Next(65535));
    const auto query =
        BuildDnsQuery(domain, DnsQueryParams{id, AllowRecursiveQueries, QueryType, queryClass});
    if (!query) {
        throw EDnsResolverError("Invalid domain name");
    }
    if (QueryType.empty()) {
        throw EDnsResolverError("No query type");
    }
    const std::string reply = Exchange(*query, boundIP);
    if (reply.size() <= kIgnoredReplyLength) {
        return;
    }
    DnsReply parsed = ParseDnsReply(reply, id);
    if (parsed.error != DnsReplyError::None) {
        throw EDnsResolverError("Invalid reply");
    }
    if (parsed.records.empty()) {
        throw EDnsResolverError("No records in reply");
    }
    QueryResult = std::move(parsed.records);
}

std::string TGDNSResolver::Exchange(const std::string& query, const std::string& boundIP) {
    const WinsockSession winsock;
    if (!winsock.Started()) {
        throw EDnsResolverError("Winsock not available");
    }
    const auto server = ResolveIPv4(Host, Port);
    if (!server) {
        throw EDnsResolverError("Host not found");
    }
    const UniqueSocket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket || !BindLocalAddress(socket.get(), boundIP)) {
        throw EDnsResolverError("Could not bind socket");
    }
    if (::sendto(socket.get(), query.data(), static_cast<int>(query.size()), 0,
                 reinterpret_cast<const sockaddr*>(&*server), sizeof *server) == SOCKET_ERROR) {
        throw EDnsResolverError("Send failed");
    }
    const int ready = seams::UdpWait().WaitReadable(socket.get(), WaitingTime);
    if (ready < 0) {
        throw EDnsResolverError("Wait failed");
    }
    if (ready == 0) {
        return {};
    }
    std::string buffer(kReceiveBufferSize, '\0');
    const int count = ::recv(socket.get(), buffer.data(), kReceiveBufferSize, 0);
    if (count == SOCKET_ERROR) {
        throw EDnsResolverError("Receive failed");
    }
    buffer.resize(static_cast<std::size_t>(count));
    return buffer;
}

std::string FirstRecordText(TGDNSResolver& resolver, const std::string& domain,
                            const std::string& boundIP) {
    try {
        resolver.Resolve(domain, boundIP);
        if (!resolver.QueryResult.empty()) {
            if (auto text = DottedRecordData(resolver.QueryResult.front())) {
                return *text;
            }
        }
    } catch (...) {
        // Every failure of the detection is an empty result.
    }
    return {};
}

} // namespace vek
