#include "provider/Names.h"

#include <algorithm>

namespace vek::provider {
namespace {

bool IsAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsNameChar(char c) { return IsAlnum(c) || c == '-' || c == '_' || c == '.'; }

} // namespace

bool IsValidEmail(std::string_view email) {
    const auto at = email.find('@');
    return email.size() >= 3 && email.size() <= 254 && at != std::string_view::npos && at > 0 &&
           at + 1 < email.size() &&
           std::all_of(email.begin(), email.end(), [](char c) { return c > 0x20 && c < 0x7F; });
}

bool IsValidPassword(std::string_view password) {
    return !password.empty() && password.size() <= 256 &&
           password.find('\0') == std::string_view::npos;
}

bool IsValidHostName(std::string_view name) {
    const auto dot = name.find('.');
    return name.size() >= 3 && name.size() <= 253 && dot != std::string_view::npos && dot > 0 &&
           name.back() != '.' &&
           std::all_of(name.begin(), name.end(), [](char c) { return IsNameChar(c) || c == '@'; });
}

bool IsValidDnsName(std::string_view name) {
    if (name.empty() || name.size() > 253)
        return false;
    while (true) {
        const auto dot = name.find('.');
        const std::string_view label = name.substr(0, dot);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
            !std::all_of(label.begin(), label.end(), [](char c) { return IsAlnum(c) || c == '-'; }))
            return false;
        if (dot == std::string_view::npos)
            return true;
        name.remove_prefix(dot + 1);
    }
}

bool IsValidGroupName(std::string_view name) {
    return !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), IsNameChar);
}

bool IsValidIPv4(std::string_view address) { return CanonicalIPv4(address).has_value(); }

std::optional<std::string> CanonicalIPv4(std::string_view address) {
    std::string canonical;
    int fields = 0;
    std::size_t pos = 0;
    while (true) {
        std::size_t digits = 0;
        int value = 0;
        while (pos < address.size() && address[pos] >= '0' && address[pos] <= '9') {
            value = value * 10 + (address[pos] - '0');
            ++digits;
            ++pos;
            if (digits > 3)
                return std::nullopt;
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        canonical += std::to_string(value);
        ++fields;
        if (pos == address.size()) {
            if (fields != 4)
                return std::nullopt;
            return canonical;
        }
        if (address[pos] != '.' || fields == 4)
            return std::nullopt;
        canonical += '.';
        ++pos;
    }
}

bool IsValidClientId(std::string_view id) {
    return !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), IsAlnum);
}

} // namespace vek::provider
