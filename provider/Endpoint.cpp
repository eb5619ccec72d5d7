#include "provider/Endpoint.h"

#include "provider/Names.h"

#include <charconv>

namespace vek::provider {

std::optional<Endpoint> ParseEndpoint(std::string_view text) {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto address = text.substr(0, colon);
    const auto portText = text.substr(colon + 1);
    int port = -1;
    const auto [end, error] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (!IsValidIPv4(address) || error != std::errc() || end != portText.data() + portText.size() ||
        port < 0 || port > 65535) {
        return std::nullopt;
    }
    return Endpoint{std::string(address), port};
}

} // namespace vek::provider
