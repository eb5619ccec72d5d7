#pragma once
// A string list kept sorted by an injected comparison, which ignores an added item equal to one
// already held. The Windows side compares by the user's locale without regard to case; native
// code by ASCII case folding.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

// Negative, zero or positive, as strcmp.
using StringCompare = std::function<int(std::string_view, std::string_view)>;

// Compares with the ASCII letters folded to lower case; other bytes by value.
int AsciiCompareText(std::string_view a, std::string_view b);

class SortedStringList {
public:
    explicit SortedStringList(StringCompare compare);

    // Adds the item in its sorted place; an equal item already held leaves the list unchanged.
    // Returns the index of the item (added or found).
    std::size_t Add(std::string_view item);
    bool Contains(std::string_view item) const;
    void Clear() { items_.clear(); }

    std::size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    const std::string& operator[](std::size_t index) const { return items_[index]; }
    const std::vector<std::string>& Items() const { return items_; }

    // The items in list order joined by the separator.
    std::string Join(std::string_view separator) const;

private:
    // The first index whose item is not less than the given one.
    std::size_t LowerBound(std::string_view item) const;

    StringCompare compare_;
    std::vector<std::string> items_;
};

} // namespace vek
