#pragma once
// The system's XML reader decodes UTF-8 and UTF-16 by itself, but not every version knows the
// single-byte encodings (Wine's refuses ISO-8859-1). A document whose declaration names one of
// them is handed to the reader re-encoded as UTF-8, its declaration then naming UTF-8.
#include <string>
#include <string_view>

namespace vek {

// The document as the reader gets it: unchanged unless it starts with an XML declaration that
// names a single-byte encoding this function knows.
std::string ReadableXmlBytes(std::string_view document);

} // namespace vek
