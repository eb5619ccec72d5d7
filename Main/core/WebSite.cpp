#include "Main/core/WebSite.h"

#include "Main/core/EndpointConfig.h"

namespace vek {
namespace {

std::string HttpAddress(std::string_view host, std::string_view path) {
    return "http://" + std::string(host) + "/" + std::string(path);
}

} // namespace

std::string WebSiteUrl(std::string_view path) { return HttpAddress(config::kWebSite, path); }

std::string PortCheckToolUrl() { return HttpAddress(config::kPortCheckTool, ""); }

std::string OpenRelayToolUrl() { return HttpAddress(config::kOpenRelayTool, ""); }

} // namespace vek
