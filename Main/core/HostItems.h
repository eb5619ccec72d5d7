#pragma once
// The records of one host-list download: a group record per group, a domain record per domain of
// the hosts in no group, each with its host names.
#include "common/HostListReply.h"
#include "common/SortedStringList.h"

#include <memory>
#include <string>
#include <vector>

namespace vek {

class THostItem {
public:
    THostItem();

    // A domain record's domain; empty in a group record.
    std::string Domain;
    // A group record's name; empty in a domain record.
    std::string GroupName;
    // The full host names, sorted without regard to case; a name equal to one held is not added.
    SortedStringList Hosts;

    bool IsGroup() const { return !GroupName.empty(); }
    const std::string& Key() const { return IsGroup() ? GroupName : Domain; }
};

// The records sorted by key (group name or domain) without regard to case. Records are found by
// their exact key, so two keys that differ only in case stay two records, the later after the
// earlier.
class THostItems {
public:
    // Adds the record's host to the group of its name, or, for a host in no group, to the domain
    // record of its domain; a record is made when there is none.
    void Add(const HostListRecord& record);
    void Clear() { items_.clear(); }

    const std::vector<std::unique_ptr<THostItem>>& Items() const { return items_; }

private:
    THostItem& Find(const std::string& groupName, const std::string& domain);

    std::vector<std::unique_ptr<THostItem>> items_;
};

} // namespace vek
