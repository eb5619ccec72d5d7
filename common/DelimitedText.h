#pragma once
// Reading and writing of delimited lists as the settings and server replies use them:
// - the delimiter separates items, and so does any run of bytes 1 to 32, which is also skipped
//   before an item;
// - an item that begins with the quote character is a quoted text, in which two quotes stand
//   for one;
// - two delimiters in a row, or one at the very end, give an empty item;
// - a NUL byte ends the text.
#include <string>
#include <string_view>
#include <vector>

namespace vek {

std::vector<std::string> ReadDelimitedText(std::string_view text, char delimiter, char quote = '"');

// Items holding a byte 0 to 32, the quote or the delimiter are written quoted, their quotes
// doubled; a list of one empty item is written as two quotes.
std::string WriteDelimitedText(const std::vector<std::string>& items, char delimiter,
                               char quote = '"');

} // namespace vek
