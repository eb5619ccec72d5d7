// Public-IP detection: an HTTP echo or a DNS-format query to one of two echo servers.
#include "Main/core/VEKGlobals.h"

#include "Main/core/GDNSResolver.h"
#include "Main/core/ProviderUrls.h"
#include "classlib/AntiFreeze.h"
#include "classlib/Seams.h"
#include "common/Trim.h"

namespace vek {
namespace {

constexpr std::uint32_t kHttpEchoLimitMs = 10000;
constexpr std::uint32_t kDnsEchoLimitMs = 20000;
constexpr std::size_t kShortestAddress = 7;

// The first server once more than `limit` ms have passed since the previous detection ended,
// the second otherwise; the tick count wraps, so the difference is taken modulo 2^32.
const std::string& ChooseServer(std::uint32_t lastTick, std::uint32_t limit,
                                const std::string& first, const std::string& second) {
    const std::uint32_t elapsed = seams::Clock().TickCount() - lastTick;
    return elapsed > limit ? first : second;
}

} // namespace

std::string TVEKGlobals::GetRemoteIP(const std::string& boundIP) {
    std::string result;
    if (GetAlternateIP()) {
        const std::string& server = ChooseServer(LastIPCheckTick, kHttpEchoLimitMs,
                                                 Endpoints.HttpEcho1, Endpoints.HttpEcho2);
        result = Trim(HttpGet(IpEchoUrl(server), boundIP, false));
        if (result.size() < kShortestAddress) {
            result.clear();
        }
    } else {
        TGDNSResolver resolver;
        resolver.Host =
            ChooseServer(LastIPCheckTick, kDnsEchoLimitMs, Endpoints.DnsEcho1, Endpoints.DnsEcho2);
        resolver.QueryType = {kDnsTypeA};
        resolver.Port = Endpoints.DnsEchoPort;
        RunBlockingJob(KeepMessagesFlowing,
                       [&] { result = FirstRecordText(resolver, "ip", boundIP); });
    }
    LastIPCheckTick = seams::Clock().TickCount();
    return result;
}

} // namespace vek
