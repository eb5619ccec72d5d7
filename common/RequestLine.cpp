#include "common/RequestLine.h"

#include "common/Ascii.h"

namespace vek {
namespace {

// The byte a "%XX" at text[pos] stands for when unescaping turns it back: an unsafe byte or "%"
// itself. -1 for every other "%" sequence and for text that is no "%XX".
int EscapedByteAt(std::string_view text, std::size_t pos) {
    if (text[pos] != '%' || pos + 2 >= text.size()) {
        return -1;
    }
    const int high = HexValue(text[pos + 1]);
    const int low = HexValue(text[pos + 2]);
    if (high < 0 || low < 0) {
        return -1;
    }
    const auto byte = static_cast<unsigned char>(high * 16 + low);
    return IsRequestLineUnsafe(byte) || byte == '%' ? byte : -1;
}

} // namespace

bool IsRequestLineUnsafe(unsigned char byte) { return byte <= 0x20 || byte >= 0x7F; }

std::string EscapeRequestTarget(std::string_view target) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(target.size());
    for (std::size_t i = 0; i < target.size(); ++i) {
        const auto byte = static_cast<unsigned char>(target[i]);
        // A "%" that would read as an escape on the server travels as "%25", so that the server
        // gets back exactly this text; every other "%" (the URL-encoding's "%3D") stays.
        if (IsRequestLineUnsafe(byte) || EscapedByteAt(target, i) >= 0) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += target[i];
        }
    }
    return out;
}

std::string UnescapeRequestTarget(std::string_view target) {
    std::string out;
    out.reserve(target.size());
    for (std::size_t i = 0; i < target.size(); ++i) {
        const int byte = EscapedByteAt(target, i);
        if (byte >= 0) {
            out += static_cast<char>(byte);
            i += 2;
        } else {
            out += target[i];
        }
    }
    return out;
}

} // namespace vek
