#include "Main/core/HostItems.h"

#include "classlib/Locale.h"

#include <algorithm>

namespace vek {

THostItem::THostItem() : Hosts(&AnsiCompareText) {}

void THostItems::Add(const HostListRecord& record) {
    const bool grouped = !record.group.empty();
    Find(grouped ? record.group : std::string(), grouped ? std::string() : record.domain)
        .Hosts.Add(record.host);
}

THostItem& THostItems::Find(const std::string& groupName, const std::string& domain) {
    for (const auto& item : items_) {
        if (item->GroupName == groupName && item->Domain == domain) {
            return *item;
        }
    }
    auto made = std::make_unique<THostItem>();
    made->GroupName = groupName;
    made->Domain = domain;
    const auto place =
        std::upper_bound(items_.begin(), items_.end(), made->Key(),
                         [](const std::string& key, const std::unique_ptr<THostItem>& item) {
                             return AnsiCompareText(key, item->Key()) < 0;
                         });
    return **items_.insert(place, std::move(made));
}

} // namespace vek
