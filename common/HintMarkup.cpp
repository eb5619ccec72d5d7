#include "common/HintMarkup.h"

#include "common/Ascii.h"

namespace vek {
namespace {

// The longest tag the markup knows ("/b", "/i", "br").
constexpr std::size_t kLongestTag = 2;

class MarkupReader {
public:
    std::vector<THintLine> Read(std::string_view markup) {
        for (std::size_t at = 0; at < markup.size(); ++at) {
            const char c = markup[at];
            if (c == '\r' || c == '\n') {
                // CR LF is one line end.
                if (c == '\r' && at + 1 < markup.size() && markup[at + 1] == '\n') {
                    ++at;
                }
                lines_.emplace_back();
                continue;
            }
            if (c == '<') {
                // Only a ">" close enough to end a known tag is looked for, so a text full of
                // "<" is read in one pass.
                const std::size_t close = markup.substr(0, at + kLongestTag + 2).find('>', at);
                if (close != std::string_view::npos &&
                    ApplyTag(LowerAscii(markup.substr(at + 1, close - at - 1)))) {
                    at = close;
                    continue;
                }
            }
            Append(c);
        }
        return lines_;
    }

private:
    bool ApplyTag(const std::string& tag) {
        if (tag == "b" || tag == "/b") {
            bold_ = tag == "b";
        } else if (tag == "i" || tag == "/i") {
            italic_ = tag == "i";
        } else if (tag == "br") {
            lines_.emplace_back();
        } else {
            return false;
        }
        return true;
    }

    void Append(char c) {
        THintLine& line = lines_.back();
        if (line.empty() || line.back().bold != bold_ || line.back().italic != italic_) {
            line.push_back({std::string(), bold_, italic_});
        }
        line.back().text += c;
    }

    std::vector<THintLine> lines_ = std::vector<THintLine>(1);
    bool bold_ = false;
    bool italic_ = false;
};

} // namespace

std::vector<THintLine> ParseHintMarkup(std::string_view markup) {
    return MarkupReader().Read(markup);
}

} // namespace vek
