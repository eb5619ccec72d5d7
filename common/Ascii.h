#pragma once
// Letters and hex digits of plain ASCII, whatever the C locale says: protocol names, header names,
// keys and escapes are ASCII, and every byte above it passes through unchanged.
#include <string>
#include <string_view>

namespace vek {

// 'A'..'Z' as 'a'..'z'; every other byte as it is.
char LowerAscii(char c);
std::string LowerAscii(std::string_view text);

// The same bytes but for the case of ASCII letters.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// 0..15 for a hex digit in either case; -1 for any other byte.
int HexValue(char c);

} // namespace vek
