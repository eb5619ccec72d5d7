#include "common/DecimalText.h"

#include <charconv>

namespace vek {

std::optional<std::int32_t> ParseDecimalInt32(std::string_view text) {
    // A leading "+" is allowed as a sign; from_chars itself accepts only "-".
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    std::int32_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace vek
