#pragma once
// Base64 with the standard alphabet and "=" padding, no line breaks. Decoding skips every byte
// outside the alphabet ("=" included) wherever it stands, and never fails.
#include <cstddef>
#include <string>
#include <string_view>

namespace vek {

// The padded output length for n input bytes: 4 * ceil(n / 3).
std::size_t Base64EncodedLength(std::size_t n);
std::string Base64Encode(std::string_view data);
std::string Base64Decode(std::string_view text);

} // namespace vek
