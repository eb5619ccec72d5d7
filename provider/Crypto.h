#pragma once
// The provider's cryptography, all from OpenSSL: the request signature's HMAC-SHA1, a
// constant-time comparison, random identifiers, and salted slow password hashes.
#include <string>
#include <string_view>

namespace vek::provider {

// Base64 of HMAC-SHA1(key, data): the signature text before its URL-encoding.
std::string HmacSha1Base64(std::string_view key, std::string_view data);
bool ConstantTimeEquals(std::string_view a, std::string_view b);
// `bytes` random bytes from the system's generator as lower-case hex.
std::string RandomHex(std::size_t bytes);

// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>"
std::string HashPassword(std::string_view password);
bool VerifyPassword(std::string_view password, std::string_view stored);

} // namespace vek::provider
