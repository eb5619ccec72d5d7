#pragma once
// The request URLs (host, path and query, no scheme) of every exchange with the provider, before
// signing: the callers sign those that are signed with TVEKGlobals::SignURL.
#include "Main/core/Endpoints.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vek {

// Over HTTPS, unsigned; e-mail and password URL-encoded.
std::string RegistrationUrl(const ProviderEndpoints& endpoints, std::string_view email,
                            std::string_view password);
// The client id goes in as stored, not encoded, after "email=" (in every signed request).
std::string UnregistrationUrl(const ProviderEndpoints& endpoints, std::string_view clientId);
std::string HostListUrl(const ProviderEndpoints& endpoints, std::string_view clientId);
std::string NoticesUrl(const ProviderEndpoints& endpoints, std::string_view clientId,
                       std::int32_t noticeId, std::int32_t alertId);
// The update list ("h[]=..." and "g[]=..." joined by "&") and the address as they are.
std::string UpdateUrl(const ProviderEndpoints& endpoints, std::string_view updateList,
                      std::string_view clientId, std::string_view address);
// One of the HTTP IP-echo servers.
std::string IpEchoUrl(std::string_view echoServer);

} // namespace vek
