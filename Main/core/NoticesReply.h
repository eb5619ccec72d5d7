#pragma once
// The notices reply of the update server, read whole and checked before anything of it is used:
// the fetch gets either everything a reply says or a rejection, never half of one.
#include "Main/core/NoticeList.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vek {

enum class TNoticesReplyKind {
    // The result does not begin with "<?xml version": no answer, an HTTP status, other text.
    NotXml,
    // Root "user": its children are in `user`.
    User,
    // Root "disabled": the client id was disabled within the account.
    Disabled,
    // Looks like XML but cannot be used: unreadable, another root, a value that cannot be
    // converted. `rejection` says why.
    Rejected,
};

// What a "user" reply says; a child the reply does not have is left empty.
struct TNoticesUser {
    std::optional<bool> enhanced;
    // The alerts in document order, then the notices in document order.
    TNoticeList notices;
    std::optional<std::int32_t> remoteInterval;
    bool error = false;
    std::optional<std::string> email;
};

struct TNoticesReply {
    TNoticesReplyKind kind;
    TNoticesUser user;
    // Why the reply was rejected, its reply text quoted with control bytes escaped (for the log).
    std::string rejection;
    // The root is "user", also when a value under it was rejected: the IP watch starts on it.
    bool userRoot = false;
};

// Reads the result of the notices request. Root names and the item names "alert" and "notice"
// are compared exactly; the root's children are found in any letter case, the last one of a name
// counting; attributes an item lacks read as empty text. An item's code is its id text followed
// by the kind digit, read as a decimal integer: only a code that cannot be read rejects it.
TNoticesReply ReadNoticesReply(const std::string& reply);

} // namespace vek
