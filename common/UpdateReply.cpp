#include "common/UpdateReply.h"

#include "common/DecimalText.h"

namespace vek {
namespace {

UpdateReplyLine ReadLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return UpdateReplyLine{std::string(), ParseDecimalInt32(line)};
    }
    return UpdateReplyLine{std::string(line.substr(0, colon)),
                           ParseDecimalInt32(line.substr(colon + 1))};
}

bool HasCodeText(std::string_view line) {
    const std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? !line.empty() : colon + 1 < line.size();
}

} // namespace

std::vector<UpdateReplyLine> ParseUpdateReply(std::string_view reply) {
    std::vector<UpdateReplyLine> lines;
    std::size_t start = 0;
    while (start < reply.size()) {
        const std::size_t lineEnd = reply.find_first_of("\r\n", start);
        const std::size_t stop = lineEnd == std::string_view::npos ? reply.size() : lineEnd;
        const std::string_view line = reply.substr(start, stop - start);
        if (HasCodeText(line)) {
            lines.push_back(ReadLine(line));
        }
        if (lineEnd == std::string_view::npos) {
            break;
        }
        start = lineEnd + 1;
        if (reply[lineEnd] == '\r' && start < reply.size() && reply[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

bool IsNoAnswerReply(std::string_view reply) { return reply.substr(0, 2) == "-1"; }

} // namespace vek
