// libFuzzer target: the reading of an HTTP reply gives the same result however its bytes arrive
// (all at once, one at a time, or in pieces of the sizes the input's first bytes choose), and
// never a body beyond the limit.
//
// Input: byte 0 chooses how the connection ends (even: closed, odd: failed); bytes 1 to 4 are
// the piece sizes (each plus one), used in turn; the rest is the reply.
#include "common/HttpReplyReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kHeader = 5;

class SplitSource final : public vek::ReplySource {
public:
    SplitSource(const std::string& text, std::vector<std::size_t> pieces, Receipt end)
        : text_(text), pieces_(std::move(pieces)), end_(end) {}
    Receipt Receive(std::string& buffer) override {
        if (pos_ == text_.size()) {
            return end_;
        }
        const std::size_t piece = pieces_[next_++ % pieces_.size()];
        const std::size_t count = std::min(piece, text_.size() - pos_);
        buffer.append(text_, pos_, count);
        pos_ += count;
        return Receipt::Data;
    }

private:
    const std::string& text_;
    std::vector<std::size_t> pieces_;
    Receipt end_;
    std::size_t pos_ = 0;
    std::size_t next_ = 0;
};

vek::HttpReply Read(const std::string& text, std::vector<std::size_t> pieces,
                    vek::ReplySource::Receipt end) {
    SplitSource source(text, std::move(pieces), end);
    return vek::ReadHttpReply(source);
}

bool Same(const vek::HttpReply& a, const vek::HttpReply& b) {
    return a.status == b.status && a.complete == b.complete && a.tooLarge == b.tooLarge &&
           a.body == b.body;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeader) {
        return 0;
    }
    const auto end =
        (data[0] & 1) != 0 ? vek::ReplySource::Receipt::Failed : vek::ReplySource::Receipt::Closed;
    std::vector<std::size_t> pieces;
    for (std::size_t i = 1; i < kHeader; ++i) {
        pieces.push_back(std::size_t{data[i]} + 1);
    }
    const std::string text(reinterpret_cast<const char*>(data + kHeader), size - kHeader);

    const vek::HttpReply whole = Read(text, {text.size() + 1}, end);
    if (whole.body.size() > vek::kMaxReplyBodyBytes || (whole.tooLarge && !whole.body.empty()) ||
        !Same(whole, Read(text, {1}, end)) || !Same(whole, Read(text, pieces, end))) {
        std::abort();
    }
    return 0;
}
