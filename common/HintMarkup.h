#pragma once
// The little markup of the program's hints: "<b>" and "</b>" bold, "<i>" and "</i>" italic,
// "<br>" (and a line end: CR, LF or CR LF) a new line; tag names in any letter case, any other
// text (an unknown tag or a "<" without its ">" included) as it stands.
#include <string>
#include <string_view>
#include <vector>

namespace vek {

struct THintRun {
    std::string text;
    bool bold = false;
    bool italic = false;

    bool operator==(const THintRun&) const = default;
};
using THintLine = std::vector<THintRun>;

// The lines of a hint, each a row of runs of one style; a line may be empty. Every run holds
// text, and two runs side by side on a line differ in style.
std::vector<THintLine> ParseHintMarkup(std::string_view markup);

} // namespace vek
