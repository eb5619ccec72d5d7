#pragma once
// The client's URL-encoding: seventeen characters replaced by their escapes, "%" first, so an
// escape is never encoded twice. Everything else (slash, colon, quotes, control bytes, bytes
// 128-255) passes unchanged.
#include <string>
#include <string_view>

namespace vek {

std::string URLEncode(std::string_view text);

} // namespace vek
