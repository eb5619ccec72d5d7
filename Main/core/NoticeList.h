#pragma once
// The main window's list of pending notices and alerts: the notice fetch fills it, the notice
// pop-up reads it.
#include <cstdint>
#include <string>
#include <vector>

namespace vek {

struct TNoticeEntry {
    // Title + "|" + body + "|" + link, without escaping.
    std::string NoticeItem;
    // The id followed by the kind digit: id * 10 + 2 for an alert, id * 10 + 1 for a notice.
    std::int32_t NoticeCode;
};

using TNoticeList = std::vector<TNoticeEntry>;

} // namespace vek
