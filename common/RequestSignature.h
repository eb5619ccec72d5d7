#pragma once
// The parts of a signed request that need no cryptography: which text is signed, and how the
// signature is appended. The HMAC itself comes from the platform's cryptography.
#include <optional>
#include <string>
#include <string_view>

namespace vek {

// The text a request's signature covers: the URL from its first "/" (at most 99999 bytes), or
// nothing when the URL holds no "/".
std::optional<std::string_view> SignedText(std::string_view url);

// "&pass=HMAC{" + the URL-encoded Base64 signature + "}".
std::string SignatureSuffix(std::string_view base64Signature);

} // namespace vek
