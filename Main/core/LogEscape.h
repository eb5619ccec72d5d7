#pragma once
// Text from a reply quoted in a log line: its control bytes written as escapes, so that a reply
// cannot end the line and forge others.
#include <string>
#include <string_view>

namespace vek {

// Each byte 0x00 to 0x1F and 0x7F as "\x" and two upper-case hexadecimal digits; every other
// byte (those from 0x80 too) as it is.
std::string EscapeControlBytes(std::string_view text);

} // namespace vek
