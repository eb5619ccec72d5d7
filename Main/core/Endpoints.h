#pragma once
// The provider's servers the client talks to and the web hosts it links to. The program uses the
// built-in set; in-process tests hand the core another one.
#include "Main/core/EndpointConfig.h"

#include <cstdint>
#include <string>

namespace vek {

struct ProviderEndpoints {
    // "address:port" of the update server over plain HTTP.
    std::string UpdateServer = config::kUpdateServer;
    // "host:port" of the update server over HTTPS (the registration).
    std::string UpdateServerTls = config::kUpdateServerTls;
    // "address:port" of the first and second HTTP IP-echo servers.
    std::string HttpEcho1 = config::kHttpEcho1;
    std::string HttpEcho2 = config::kHttpEcho2;
    // Addresses (or host names) of the first and second DNS IP-echo servers, and their UDP port.
    std::string DnsEcho1 = config::kDnsEcho1;
    std::string DnsEcho2 = config::kDnsEcho2;
    std::uint16_t DnsEchoPort = config::kDnsEchoPort;
    // Hosts of the provider's web site and of the two outside web tools the client links to.
    std::string WebSite = config::kWebSite;
    std::string PortCheckTool = config::kPortCheckTool;
    std::string OpenRelayTool = config::kOpenRelayTool;
};

} // namespace vek
