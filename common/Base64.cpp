#include "common/Base64.h"

#include <array>
#include <cstdint>

namespace vek {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// 1 + the 6-bit value for each alphabet byte, 0 for every byte that decoding skips.
constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i + 1);
    }
    return table;
}
constexpr auto kDecodeTable = MakeDecodeTable();

} // namespace

std::size_t Base64EncodedLength(std::size_t n) {
    const std::size_t padding = (3 - n % 3) % 3;
    return (n + padding) * 8 / 6;
}

std::string Base64Encode(std::string_view data) {
    std::string out;
    out.reserve(Base64EncodedLength(data.size()));
    std::size_t i = 0;
    for (; i + 3 <= data.size(); i += 3) {
        const auto b0 = static_cast<unsigned char>(data[i]);
        const auto b1 = static_cast<unsigned char>(data[i + 1]);
        const auto b2 = static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[b0 >> 2];
        out += kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
        out += kAlphabet[((b1 & 15) << 2) | (b2 >> 6)];
        out += kAlphabet[b2 & 63];
    }
    const std::size_t rest = data.size() - i;
    if (rest > 0) {
        const auto b0 = static_cast<unsigned char>(data[i]);
        const auto b1 = rest == 2 ? static_cast<unsigned char>(data[i + 1]) : 0u;
        out += kAlphabet[b0 >> 2];
        out += kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
        out += rest == 2 ? kAlphabet[(b1 & 15) << 2] : '=';
        out += '=';
    }
    return out;
}

std::string Base64Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3 / 4);
    std::uint32_t group[4];
    int count = 0;
    for (const char c : text) {
        const std::uint8_t entry = kDecodeTable[static_cast<unsigned char>(c)];
        if (entry == 0) {
            continue;
        }
        group[count++] = entry - 1u;
        if (count == 4) {
            out += static_cast<char>((group[0] << 2) | (group[1] >> 4));
            out += static_cast<char>(((group[1] << 4) | (group[2] >> 2)) & 255);
            out += static_cast<char>(((group[2] << 6) | group[3]) & 255);
            count = 0;
        }
    }
    // A tail of two or three values gives one or two bytes; a single value gives none.
    if (count >= 2) {
        out += static_cast<char>((group[0] << 2) | (group[1] >> 4));
    }
    if (count == 3) {
        out += static_cast<char>(((group[1] << 4) | (group[2] >> 2)) & 255);
    }
    return out;
}

} // namespace vek
