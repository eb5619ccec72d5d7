#pragma once
// Decimal integers written as text, read the way every reply of the provider writes them.
#include <cstdint>
#include <optional>
#include <string_view>

namespace vek {

// The value of an optional sign ("+" or "-") and one or more decimal digits, nothing else, within
// 32 bits; nothing for any other text (" 1", "0x1", "", "1.0").
std::optional<std::int32_t> ParseDecimalInt32(std::string_view text);

} // namespace vek
