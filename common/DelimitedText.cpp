#include "common/DelimitedText.h"

namespace vek {
namespace {

bool IsBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

bool IsBlankOrNul(char c) { return static_cast<unsigned char>(c) <= 32; }

// Reads the quoted text that starts at text[pos] (a quote). An unterminated text loses its last
// byte, as the class library's reading does. Returns the text and moves pos past it.
std::string ReadQuoted(std::string_view text, std::size_t& pos, char quote) {
    std::string out;
    std::size_t i = pos + 1;
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                out += quote;
                i += 2;
                continue;
            }
            pos = i + 1;
            return out;
        }
        out += text[i];
        ++i;
    }
    pos = text.size();
    if (!out.empty()) {
        out.pop_back();
    }
    return out;
}

} // namespace

std::vector<std::string> ReadDelimitedText(std::string_view text, char delimiter, char quote) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> items;
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    while (pos < text.size()) {
        if (text[pos] == quote) {
            items.push_back(ReadQuoted(text, pos, quote));
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && !IsBlankOrNul(text[pos]) && text[pos] != delimiter) {
                ++pos;
            }
            items.emplace_back(text.substr(start, pos - start));
        }
        while (pos < text.size() && IsBlank(text[pos])) {
            ++pos;
        }
        if (pos < text.size() && text[pos] == delimiter) {
            if (pos + 1 == text.size()) {
                items.emplace_back();
            }
            do {
                ++pos;
            } while (pos < text.size() && IsBlank(text[pos]));
        }
    }
    return items;
}

std::string WriteDelimitedText(const std::vector<std::string>& items, char delimiter, char quote) {
    if (items.size() == 1 && items[0].empty()) {
        return std::string(2, quote);
    }
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += delimiter;
        }
        const std::string& item = items[i];
        // The class library looks only up to the first NUL when it decides on quoting.
        bool needsQuotes = false;
        for (const char c : item) {
            if (c == '\0') {
                break;
            }
            if (IsBlank(c) || c == quote || c == delimiter) {
                needsQuotes = true;
                break;
            }
        }
        if (!needsQuotes) {
            out += item;
            continue;
        }
        out += quote;
        for (const char c : item) {
            out += c;
            if (c == quote) {
                out += quote;
            }
        }
        out += quote;
    }
    return out;
}

} // namespace vek
