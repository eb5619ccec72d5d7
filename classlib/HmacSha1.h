#pragma once
// SHA-1 and HMAC-SHA1 through the system's cryptography (CryptoAPI).
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vek {

using Sha1Digest = std::array<std::uint8_t, 20>;

// The digests, or nothing when the cryptographic provider fails.
std::optional<Sha1Digest> Sha1(std::string_view data);
std::optional<Sha1Digest> HmacSha1(std::string_view key, std::string_view data);

} // namespace vek
