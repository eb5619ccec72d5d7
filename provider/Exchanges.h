#pragma once
// The update server's five exchanges, independent of the HTTP transport: each takes the raw
// request target (as it stood in the request line) and answers with a status and a body.
// Nothing a request carries is trusted; every refusal is a well-formed answer.
#include "provider/HttpExchange.h"
#include "provider/RegistrationThrottle.h"
#include "provider/Store.h"

#include <string>
#include <string_view>
#include <variant>

namespace vek::provider {

class Exchanges {
public:
    explicit Exchanges(Store& store) : store_(store) {}

    // "client/register.php?email=...&pass=..." (HTTPS only; the caller refuses plain HTTP),
    // from the peer's address; the throttle holds back and counts the failures.
    Reply Register(std::string_view rawTarget, std::string_view peer,
                   RegistrationThrottle& throttle);
    // "client/unregister.php?email=<client id>", signed.
    Reply Unregister(std::string_view rawTarget);
    // "list-hosts.php?email=<client id>", signed.
    Reply ListHosts(std::string_view rawTarget);
    // "notices.php?email=<client id>&lastnotice=<n>&lastalert=<n>", signed.
    Reply Notices(std::string_view rawTarget);
    // "vekupdate.php?h[]=...&g[]=...&email=<client id>&ip=<address>", signed: its refusal, or
    // the store write it asks for (the address in canonical form), whose outcome UpdateReply
    // turns into the reply.
    std::variant<Reply, PendingUpdate> CheckUpdate(std::string_view rawTarget,
                                                   std::string_view userAgent);

private:
    Store& store_;
};

// One line "name:code" per item; code 5 for every item when nothing was written.
Reply UpdateReply(const std::vector<UpdateItem>& items, const UpdateOutcome& outcome);

// "3.0.4" from "VEK v3.0.4/6.1.7601 (Service)"; empty when the agent is not of that form.
std::string ClientVersion(std::string_view userAgent);

} // namespace vek::provider
