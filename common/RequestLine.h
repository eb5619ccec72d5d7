#pragma once
// The transport form of a request target: bytes that cannot stand in an HTTP request line
// (control bytes, space, DEL, bytes 128-255) travel as "%XX" (upper-case hex), so a request can
// be neither split nor injected, and so does a "%" that begins such an escape or "%25" in the
// text itself; every other byte travels as it is. The server undoes exactly that form, and
// nothing else, and gets back the raw text whose signature it checks.
#include <string>
#include <string_view>

namespace vek {

bool IsRequestLineUnsafe(unsigned char byte);
std::string EscapeRequestTarget(std::string_view target);
// Turns "%XX" back into its byte where that byte is unsafe or "%"; every other "%" sequence stays
// as it is. UnescapeRequestTarget(EscapeRequestTarget(text)) == text for every text.
std::string UnescapeRequestTarget(std::string_view target);

} // namespace vek
