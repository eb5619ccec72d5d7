#pragma once
// The provider's host-list reply: records "group,host" separated by "|", read by the delimited
// text rules (blanks and control bytes also separate, quotes as there). The reply's last byte
// follows the list and is not part of it. "#" as the group marks a host in no group. The two
// whole replies "-1" (no answer came) and "status=3" (the credentials were refused) are no lists.
#include <string>
#include <string_view>
#include <vector>

namespace vek {

struct HostListRecord {
    // The group's name; empty for a host in no group.
    std::string group;
    // The full host name as sent: a first label, ".", and the domain, "-." or "@" parts included.
    std::string host;
    // The text after the first "." of the host name, up to a first "@".
    std::string domain;
};

enum class HostListOutcome { List, NoAnswer, CredentialsRefused };

struct HostListReply {
    HostListOutcome outcome = HostListOutcome::List;
    // The records in reply order.
    std::vector<HostListRecord> records;
};

// Records outside the grammar are skipped: an empty record, one without ",", an empty group
// part, a host name without "." or beginning with ".", and a host name whose domain is empty.
HostListReply ReadHostListReply(std::string_view reply);

} // namespace vek
