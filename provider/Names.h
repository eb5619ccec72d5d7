#pragma once
// What the provider accepts as an e-mail address, a host name, a group name, an IPv4 address or
// a client id. Stored names are restricted to characters that need no quoting in the host-list
// records, the update request and the reply lines.
#include <optional>
#include <string>
#include <string_view>

namespace vek::provider {

// 3 to 254 printable ASCII characters without blanks, with an "@" that is neither first nor last.
bool IsValidEmail(std::string_view email);
bool IsValidPassword(std::string_view password);
// Letters, digits, "-", "_", "." and "@"; a "." inside; at most 253 characters.
bool IsValidHostName(std::string_view name);
// A DNS host name as a certificate names it: labels of 1 to 63 letters, digits and "-" (not
// first or last), joined by "."; at most 253 characters.
bool IsValidDnsName(std::string_view name);
// Letters, digits, "-", "_" and "."; 1 to 64 characters.
bool IsValidGroupName(std::string_view name);
// Exactly four fields of 1 to 3 decimal digits, each 0 to 255.
bool IsValidIPv4(std::string_view address);
// Such an address without leading zeros ("1.2.3.4" for "001.002.003.004"); nothing for any
// other text.
std::optional<std::string> CanonicalIPv4(std::string_view address);
// 1 to 64 characters of letters and digits (the provider issues 20 lower-case hex digits).
bool IsValidClientId(std::string_view id);

} // namespace vek::provider
