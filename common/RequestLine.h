#pragma once
// The transport form of a request target: bytes that cannot stand in an HTTP request line
// (control bytes, space, DEL, bytes 128-255) travel as "%XX" (upper-case hex), so a request can
// be neither split nor injected; every other byte travels as it is. The server undoes exactly
// that form, and nothing else, before it checks the signature over the raw text.
#include <string>
#include <string_view>

namespace vek {

bool IsRequestLineUnsafe(unsigned char byte);
std::string EscapeRequestTarget(std::string_view target);
// Turns "%XX" back into its byte where that byte is one EscapeRequestTarget escapes; every other
// "%" sequence stays as it is.
std::string UnescapeRequestTarget(std::string_view target);

} // namespace vek
