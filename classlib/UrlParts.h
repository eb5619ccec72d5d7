#pragma once
// A URL without a scheme, "host[:port][/path[?query]]", split into its parts.
#include <optional>
#include <string>
#include <string_view>

namespace vek {

struct UrlParts {
    std::string host;
    unsigned short port = 0;
    bool portGiven = false;
    std::string target; // from the first "/", or "/" when there is none
};

// Nothing when the host is not a plain name or address (letters, digits, "-" and "." only) or the
// port is not a number from 1 to 65535: such a URL is never looked up or sent.
std::optional<UrlParts> SplitUrl(std::string_view url, unsigned short defaultPort);

} // namespace vek
