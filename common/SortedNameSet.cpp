#include "common/SortedNameSet.h"

namespace vek {

std::string SortedNameSet::Join(std::string_view separator) const {
    std::string out;
    bool first = true;
    for (const std::string& name : names_) {
        if (!first) {
            out += separator;
        }
        out += name;
        first = false;
    }
    return out;
}

} // namespace vek
