#include "classlib/UrlParts.h"

namespace vek {
namespace {

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

} // namespace

std::optional<UrlParts> SplitUrl(std::string_view url, unsigned short defaultPort) {
    UrlParts parts;
    const std::size_t slash = url.find('/');
    const std::string_view authority = url.substr(0, slash);
    parts.target = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));

    const std::size_t colon = authority.find(':');
    const std::string_view host = authority.substr(0, colon);
    if (host.empty()) {
        return std::nullopt;
    }
    for (const char c : host) {
        if (!IsHostCharacter(c)) {
            return std::nullopt;
        }
    }
    parts.host = std::string(host);
    parts.port = defaultPort;
    if (colon != std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5) {
            return std::nullopt;
        }
        unsigned value = 0;
        for (const char c : port) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value == 0 || value > 65535) {
            return std::nullopt;
        }
        parts.port = static_cast<unsigned short>(value);
        parts.portGiven = true;
    }
    return parts;
}

} // namespace vek
