#pragma once
// A set of names in the order of an injected comparison, which ignores a name equal to one
// already held. Adding and looking up take logarithmic time, so a list of tens of thousands of
// names is built in O(n log n).
#include "common/SortedStringList.h"

#include <set>
#include <string>
#include <string_view>

namespace vek {

class SortedNameSet {
public:
    explicit SortedNameSet(StringCompare compare) : names_(Less{std::move(compare)}) {}

    // Adds the name; false when an equal one is held already.
    bool Add(std::string_view name) { return names_.emplace(name).second; }
    bool Contains(std::string_view name) const { return names_.find(name) != names_.end(); }
    void Clear() { names_.clear(); }

    std::size_t Count() const { return names_.size(); }
    bool Empty() const { return names_.empty(); }

    // The names in order joined by the separator.
    std::string Join(std::string_view separator) const;

private:
    struct Less {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const { return compare(a, b) < 0; }
        StringCompare compare;
    };

    std::set<std::string, Less> names_;
};

} // namespace vek
