#include "common/SortedStringList.h"

#include "common/Ascii.h"

namespace vek {

int AsciiCompareText(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return static_cast<unsigned char>(LowerAscii(c)); };
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = fold(a[i]) - fold(b[i]);
        if (difference != 0) {
            return difference;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

SortedStringList::SortedStringList(StringCompare compare) : compare_(std::move(compare)) {}

std::size_t SortedStringList::LowerBound(std::string_view item) const {
    std::size_t low = 0;
    std::size_t high = items_.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (compare_(items_[middle], item) < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

std::size_t SortedStringList::Add(std::string_view item) {
    const std::size_t index = LowerBound(item);
    if (index < items_.size() && compare_(items_[index], item) == 0) {
        return index;
    }
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::string(item));
    return index;
}

bool SortedStringList::Contains(std::string_view item) const {
    const std::size_t index = LowerBound(item);
    return index < items_.size() && compare_(items_[index], item) == 0;
}

std::string SortedStringList::Join(std::string_view separator) const {
    std::string out;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (i > 0) {
            out += separator;
        }
        out += items_[i];
    }
    return out;
}

} // namespace vek
