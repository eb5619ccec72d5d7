#pragma once
// The addresses of the web pages the desktop client opens in the browser: pages of the provider's
// web site and the root pages of the two outside web tools, all plain http.
#include "Main/core/Endpoints.h"

#include <string>
#include <string_view>

namespace vek {

// "http://" + the web site's host + "/" + path; an empty path is the site's root page.
std::string WebSiteUrl(const ProviderEndpoints& endpoints, std::string_view path);
std::string PortCheckToolUrl(const ProviderEndpoints& endpoints);
std::string OpenRelayToolUrl(const ProviderEndpoints& endpoints);

} // namespace vek
