#include "common/UrlEncode.h"

namespace vek {

std::string URLEncode(std::string_view text) {
    // One pass gives the same result as the seventeen replacements applied in turn, because no
    // escape that a step inserts holds a character that a later step replaces.
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        // clang-format off
        switch (c) {
        case '%': out += "%25"; break;
        case ' ': out += "%20"; break;
        case '~': out += "%7E"; break;
        case '!': out += "%21"; break;
        case '@': out += "%40"; break;
        case '#': out += "%23"; break;
        case '$': out += "%24"; break;
        case '^': out += "%5E"; break;
        case '&': out += "%26"; break;
        case '*': out += "%2A"; break;
        case '(': out += "%28"; break;
        case ')': out += "%29"; break;
        case '+': out += "%2B"; break;
        case '`': out += "%60"; break;
        case '=': out += "%3D"; break;
        case '[': out += "%5B"; break;
        case ']': out += "%5D"; break;
        default: out += c; break;
        }
        // clang-format on
    }
    return out;
}

} // namespace vek
