#include "UpdateReply.h"

#include <charconv>

namespace vek {
namespace {

std::optional<int> ParseDecimalCode(std::string_view text) {
    // A leading "+" is allowed as a sign; from_chars itself accepts only "-".
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    int value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

UpdateReplyLine ReadLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return UpdateReplyLine{std::string(), ParseDecimalCode(line)};
    }
    return UpdateReplyLine{std::string(line.substr(0, colon)),
                           ParseDecimalCode(line.substr(colon + 1))};
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
