#pragma once
// The one form of public address the IP check accepts from the echo servers.
#include <string_view>

namespace vek {

// Exactly four fields separated by ".", each 1 to 3 decimal digits with a value of 0 to 255, and
// nothing else: no sign, blank, trailing dot, hex or octal form, and no shorter forms of an
// address that the socket layer's parser would take.
bool IsDottedQuad(std::string_view text);

} // namespace vek
