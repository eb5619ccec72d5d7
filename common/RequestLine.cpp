#include "RequestLine.h"

namespace vek {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

bool IsRequestLineUnsafe(unsigned char byte) { return byte <= 0x20 || byte >= 0x7F; }

std::string EscapeRequestTarget(std::string_view target) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(target.size());
    for (const char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsRequestLineUnsafe(byte)) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string UnescapeRequestTarget(std::string_view target) {
    std::string out;
    out.reserve(target.size());
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 2 < target.size()) {
            const int high = HexValue(target[i + 1]);
            const int low = HexValue(target[i + 2]);
            if (high >= 0 && low >= 0) {
                const auto byte = static_cast<unsigned char>(high * 16 + low);
                if (IsRequestLineUnsafe(byte)) {
                    out += static_cast<char>(byte);
                    i += 2;
                    continue;
                }
            }
        }
        out += target[i];
    }
    return out;
}

} // namespace vek
