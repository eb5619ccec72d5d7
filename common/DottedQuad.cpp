#include "common/DottedQuad.h"

namespace vek {

bool IsDottedQuad(std::string_view text) {
    int fields = 0;
    std::size_t position = 0;
    while (true) {
        int value = 0;
        std::size_t digits = 0;
        while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
            value = value * 10 + (text[position] - '0');
            ++position;
            if (++digits > 3) {
                return false;
            }
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        ++fields;
        if (position == text.size()) {
            return fields == 4;
        }
        if (text[position] != '.' || fields == 4) {
            return false;
        }
        ++position;
    }
}

} // namespace vek
