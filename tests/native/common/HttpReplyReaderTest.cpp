// The reading of a reply from its connection: framing, the body limit and the sizes that do not
// fit, each delivered whole and a few bytes at a time.
#include <gtest/gtest.h>

#include "common/HttpReplyReader.h"

#include <string>

namespace {

using vek::kMaxReplyBodyBytes;
using vek::ReplySource;

// Gives the text in pieces of a fixed size, then ends as the connection does.
class PieceSource final : public ReplySource {
public:
    PieceSource(std::string text, std::size_t piece, Receipt end)
        : text_(std::move(text)), piece_(piece), end_(end) {}
    Receipt Receive(std::string& buffer) override {
        if (pos_ == text_.size()) {
            return end_;
        }
        const std::size_t count = std::min(piece_, text_.size() - pos_);
        buffer.append(text_, pos_, count);
        pos_ += count;
        return Receipt::Data;
    }

private:
    std::string text_;
    std::size_t piece_;
    Receipt end_;
    std::size_t pos_ = 0;
};

std::string Ok(const std::string& fields) { return "HTTP/1.1 200 OK\r\n" + fields + "\r\n"; }

struct ReplyCase {
    const char* label;
    std::string reply;
    std::string result; // what the request gives its caller
};

void PrintTo(const ReplyCase& row, std::ostream* out) { *out << row.label; }

class ReplyFraming : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyFraming, GivesTheSameResultHoweverTheBytesArrive) {
    for (const std::size_t piece : {std::size_t{3}, GetParam().reply.size() + 1}) {
        PieceSource source(GetParam().reply, piece, ReplySource::Receipt::Closed);
        EXPECT_EQ(HttpGetResultText(ReadHttpReply(source)), GetParam().result) << piece;
    }
}

const std::string kLimitBody(kMaxReplyBodyBytes, 'x');
const std::string kHalfAndOne(kMaxReplyBodyBytes / 2 + 1, 'y');
const std::string kChunkOfHalfAndOne = "200001\r\n" + kHalfAndOne + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyFraming,
    ::testing::Values(
        ReplyCase{"Length", Ok("Content-Length: 5\r\n") + "hello tail", "hello"},
        ReplyCase{"LengthCut", Ok("Content-Length: 6\r\n") + "hello", "200"},
        ReplyCase{"LengthNotANumber", Ok("Content-Length: 5x\r\n") + "hello", "200"},
        ReplyCase{"LengthAtTheLimit", Ok("Content-Length: 4194304\r\n") + kLimitBody, kLimitBody},
        ReplyCase{"LengthOverTheLimit", Ok("Content-Length: 4194305\r\n") + kLimitBody + "x", "-1"},
        // 2^32 + 7: a 32-bit size would wrap it to 7.
        ReplyCase{"LengthWrapsIn32Bits", Ok("Content-Length: 4294967303\r\n") + "1234567", "-1"},
        ReplyCase{"LengthBeyond64Bits", Ok("Content-Length: 18446744073709551623\r\n") + "1234567",
                  "-1"},
        ReplyCase{"Chunked",
                  Ok("Transfer-Encoding: chunked\r\n") +
                      "3;x=1\r\nabc\r\n2\r\nde\r\n0\r\nT: 1\r\n\r\n",
                  "abcde"},
        ReplyCase{"ChunkedLastOfSeveral",
                  Ok("Transfer-Encoding: gzip, CHUNKED ,\r\n") + "2\r\nab\r\n0\r\n\r\n", "ab"},
        ReplyCase{"ChunkedCut", Ok("Transfer-Encoding: chunked\r\n") + "3\r\nabc\r\n", "200"},
        // Only the token itself, as the last coding, frames the body in chunks.
        ReplyCase{"ChunkedNotTheToken",
                  Ok("Transfer-Encoding: xchunked\r\n") + "2\r\nab\r\n0\r\n\r\n",
                  "2\r\nab\r\n0\r\n\r\n"},
        ReplyCase{"ChunkedNotLast",
                  Ok("Transfer-Encoding: chunked, gzip\r\nContent-Length: 2\r\n") + "2\r\nab",
                  "2\r\nab"},
        ReplyCase{"ChunkSizeWrapsIn32Bits",
                  Ok("Transfer-Encoding: chunked\r\n") + "100000001\r\nx\r\n0\r\n\r\n", "-1"},
        ReplyCase{"ChunksOverTheLimitTogether",
                  Ok("Transfer-Encoding: chunked\r\n") + kChunkOfHalfAndOne + kChunkOfHalfAndOne +
                      "0\r\n\r\n",
                  "-1"},
        ReplyCase{"UntilCloseAtTheLimit", Ok("") + kLimitBody, kLimitBody},
        ReplyCase{"UntilCloseOverTheLimit", Ok("") + kLimitBody + "x", "-1"},
        ReplyCase{"NoContent", "HTTP/1.1 204 No Content\r\n\r\nignored", ""},
        ReplyCase{"NotSuccess", "HTTP/1.0 404 Not Found\r\nContent-Length: 99999999999\r\n\r\n",
                  "404"},
        ReplyCase{"NoStatusLine", "HTTP/1.1 2000 OK\r\n\r\n", "-1"},
        ReplyCase{"HeaderLineTooLong",
                  Ok("X: " + std::string(65536, 'h') + "\r\nContent-Length: 1\r\n") + "b", "200"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ReplyFraming, ConnectionFailureBeforeTheEndCutsTheBody) {
    PieceSource source(Ok("") + "partial", 4, ReplySource::Receipt::Failed);
    EXPECT_EQ(HttpGetResultText(ReadHttpReply(source)), "200");
}

} // namespace
