#include "Main/forms/RowFinder.h"

#include "classlib/Locale.h"

#include <algorithm>

namespace vek {

TRowFinder::TRowFinder(std::vector<std::pair<std::string, int>> rows) : sorted_(std::move(rows)) {
    for (const auto& [caption, row] : sorted_) {
        const auto [held, added] = exact_.emplace(caption, row);
        if (!added) {
            held->second = std::min(held->second, row);
        }
    }
    std::sort(sorted_.begin(), sorted_.end(), [](const auto& a, const auto& b) {
        const int order = AnsiCompareText(a.first, b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
}

int TRowFinder::Find(const std::string& caption) const {
    if (const auto found = exact_.find(caption); found != exact_.end()) {
        return found->second;
    }
    const auto like = std::lower_bound(sorted_.begin(), sorted_.end(), caption,
                                       [](const auto& entry, const std::string& name) {
                                           return AnsiCompareText(entry.first, name) < 0;
                                       });
    return like != sorted_.end() && AnsiCompareText(like->first, caption) == 0 ? like->second : -1;
}

} // namespace vek
