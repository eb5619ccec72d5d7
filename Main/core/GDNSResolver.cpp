#include "Main/core/GDNSResolver.h"

#include "classlib/Seams.h"
#include "classlib/SocketSupport.h"
#include "classlib/WinHandles.h"

namespace vek {
namespace {

constexpr int kReceiveBufferSize = 8192;
// Replies this short are ignored, without an error.
constexpr std::size_t kIgnoredReplyLength = 4;

// A query id from the cryptographic random source, so that no one who sees other queries can
// guess it.
std::uint16_t NewQueryId() {
    unsigned char bytes[2];
    if (!seams::SecureRandom().Fill(bytes, sizeof bytes)) {
        throw EDnsResolverError("No random source");
    }
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

// The header's size and the place of its question count.
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kQuestionCountAt = 4;

// Whether a reply that has a question section repeats the query's questions byte for byte, as a
// server copies them; a reply without one is taken as it is.
bool RepeatsTheQuestions(const std::string& reply, const std::string& query) {
    if (reply[kQuestionCountAt] == 0 && reply[kQuestionCountAt + 1] == 0) {
        return true;
    }
    return reply.compare(kQuestionCountAt, 2, query, kQuestionCountAt, 2) == 0 &&
           reply.compare(kHeaderSize, query.size() - kHeaderSize, query, kHeaderSize) == 0;
}

} // namespace

void TGDNSResolver::Resolve(const std::string& domain, const std::string& boundIP,
                            std::uint16_t queryClass) {
    QueryResult.clear();
    const std::uint16_t id = NewQueryId();
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
    if (parsed.error != DnsReplyError::None || !RepeatsTheQuestions(reply, *query)) {
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
    // Connected, the socket takes datagrams from the server asked only.
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&*server), sizeof *server) ==
            SOCKET_ERROR ||
        ::send(socket.get(), query.data(), static_cast<int>(query.size()), 0) == SOCKET_ERROR) {
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
