#include "Main/core/WebSite.h"

namespace vek {
namespace {

std::string HttpAddress(std::string_view host, std::string_view path) {
    return "http://" + std::string(host) + "/" + std::string(path);
}

} // namespace

std::string WebSiteUrl(const ProviderEndpoints& endpoints, std::string_view path) {
    return HttpAddress(endpoints.WebSite, path);
}

std::string PortCheckToolUrl(const ProviderEndpoints& endpoints) {
    return HttpAddress(endpoints.PortCheckTool, "");
}

std::string OpenRelayToolUrl(const ProviderEndpoints& endpoints) {
    return HttpAddress(endpoints.OpenRelayTool, "");
}

} // namespace vek
