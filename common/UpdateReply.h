#pragma once
// The reply of the provider's update server: one line per host or group, each with its code.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

// One reply line: the name before the first ":" (empty when the line has none) and the code
// after it (the whole line when it has none).
struct UpdateReplyLine {
    std::string name;
    // The code when its text is a decimal integer: an optional sign and 1 or more digits, nothing
    // else, within 32 bits. Any other text ("ok", " 1", "0x1") gives no code, and the line then
    // acts like a code the table does not know: it counts nowhere and has no effect.
    std::optional<int> code;
};

// The reply cut into lines at CR LF, LF or CR (a line break at the very end adds no empty line),
// in order, without the lines whose code text is empty.
std::vector<UpdateReplyLine> ParseUpdateReply(std::string_view reply);

// Whether the reply is the "no answer came" result of a request, which is not read line by line.
bool IsNoAnswerReply(std::string_view reply);

} // namespace vek
