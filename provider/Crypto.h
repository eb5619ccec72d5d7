#pragma once
// The provider's cryptography, all from OpenSSL: the request signature's HMAC-SHA1, a
// constant-time comparison, random identifiers, and salted slow password hashes.
#include <cstdint>
#include <string>
#include <string_view>

namespace vek::provider {

// Base64 of HMAC-SHA1(key, data): the signature text before its URL-encoding.
std::string HmacSha1Base64(std::string_view key, std::string_view data);
bool ConstantTimeEquals(std::string_view a, std::string_view b);
// `bytes` random bytes from the system's generator as lower-case hex.
std::string RandomHex(std::size_t bytes);

// The iterations of a new password hash: the current guidance for PBKDF2-HMAC-SHA256.
inline constexpr int kPasswordIterations = 600'000;

// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>"
std::string HashPassword(std::string_view password, int iterations = kPasswordIterations);
bool VerifyPassword(std::string_view password, std::string_view stored);
// The iterations a stored hash records; 0 when it is not a hash of this form.
int HashIterations(std::string_view stored);
// A stored hash of that many iterations that no password matches: checking a password against
// it costs what checking one against an account's hash costs.
std::string UnmatchableHash(int iterations);
// The PBKDF2 iterations this process has run: the work its password checks have done.
std::uint64_t PasswordWorkDone();

} // namespace vek::provider
