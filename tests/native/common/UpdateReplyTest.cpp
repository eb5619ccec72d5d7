#include <gtest/gtest.h>

#include "common/DottedQuad.h"
#include "common/UpdateReply.h"

#include <string>
#include <vector>

namespace {

using vek::ParseUpdateReply;
using vek::UpdateReplyLine;

// A parsed line as "name|code", with "?" for a code text that is not a decimal integer.
std::vector<std::string> Describe(const std::vector<UpdateReplyLine>& lines) {
    std::vector<std::string> described;
    for (const auto& line : lines) {
        described.push_back(line.name + "|" +
                            (line.code ? std::to_string(*line.code) : std::string("?")));
    }
    return described;
}

struct ReplyCase {
    const char* label;
    std::string reply;
    std::vector<std::string> expected;
};

void PrintTo(const ReplyCase& row, std::ostream* out) { *out << row.label; }

class UpdateReplyGrammar : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(UpdateReplyGrammar, CutsSplitsAndReadsEachLine) {
    EXPECT_EQ(Describe(ParseUpdateReply(GetParam().reply)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, UpdateReplyGrammar,
    ::testing::Values(
        ReplyCase{"Empty", "", {}},
        ReplyCase{"CrLf", "a.example:1\r\nb.example:2", {"a.example|1", "b.example|2"}},
        ReplyCase{"Lf", "a:1\nb:2", {"a|1", "b|2"}}, ReplyCase{"Cr", "a:1\rb:2", {"a|1", "b|2"}},
        ReplyCase{"LfCrIsTwoBreaks", "a:1\n\rb:2", {"a|1", "b|2"}},
        ReplyCase{"TrailingBreakAddsNoLine", "a:1\r\n", {"a|1"}},
        ReplyCase{"OnlyBreaks", "\r\n\n\r", {}}, ReplyCase{"NoColonIsAllCode", "0", {"|0"}},
        ReplyCase{"HttpStatusIsOneLine", "500", {"|500"}},
        ReplyCase{"NothingAfterColonSkipped", "a:\nb:12", {"b|12"}},
        ReplyCase{"SplitAtFirstColon", "a:b:3", {"a|?"}},
        ReplyCase{"EmptyNameKept", ":11", {"|11"}}, ReplyCase{"NegativeCode", "a:-7", {"a|-7"}},
        ReplyCase{"PlusSign", "a:+5", {"a|5"}}, ReplyCase{"LeadingZeros", "a:007", {"a|7"}},
        ReplyCase{"LettersNotACode", "a:ok", {"a|?"}},
        ReplyCase{"BlanksNotACode", "a: 1\nb:1 ", {"a|?", "b|?"}},
        ReplyCase{"SignAloneNotACode", "a:-\nb:+\nc:+-1", {"a|?", "b|?", "c|?"}},
        ReplyCase{"HexNotACode", "a:0x1", {"a|?"}},
        ReplyCase{"BeyondThirtyTwoBits", "a:2147483648\nb:-2147483648", {"a|?", "b|-2147483648"}},
        ReplyCase{"NulInsideLine", std::string("a\0b:1", 5), {std::string("a\0b", 3) + "|1"}},
        ReplyCase{"OrderKept", "z:3\na:5\nm:0", {"z|3", "a|5", "m|0"}}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return info.param.label; });

TEST(UpdateReply, NoAnswerIsAReplyBeginningWithMinusOne) {
    EXPECT_TRUE(vek::IsNoAnswerReply("-1"));
    EXPECT_TRUE(vek::IsNoAnswerReply("-1\r\nwhatever"));
    EXPECT_TRUE(vek::IsNoAnswerReply("-10"));
    EXPECT_FALSE(vek::IsNoAnswerReply("-"));
    EXPECT_FALSE(vek::IsNoAnswerReply(""));
    EXPECT_FALSE(vek::IsNoAnswerReply("a:-1"));
    EXPECT_FALSE(vek::IsNoAnswerReply(" -1"));
}

TEST(DottedQuad, AcceptsOnlyFourDecimalFieldsUpTo255) {
    for (const char* good :
         {"0.0.0.0", "192.0.2.1", "255.255.255.255", "203.0.113.09", "001.002.003.004"}) {
        EXPECT_TRUE(vek::IsDottedQuad(good)) << good;
    }
    for (const char* bad : {"",
                            "1.2.3",
                            "1.2.3.4.5",
                            "1.2.3.4.",
                            ".1.2.3.4",
                            "1..2.3",
                            "256.0.0.1",
                            "1.2.3.2555",
                            "0001.2.3.4",
                            " 1.2.3.4",
                            "1.2.3.4 ",
                            "1.2.3.4\n",
                            "-1.2.3.4",
                            "+1.2.3.4",
                            "0x7f.0.0.1",
                            "a.b.c.d",
                            "2001:db8::1",
                            "3221225985",
                            "192.0.2.1:80",
                            "1.2.3.4/24",
                            "1.2.3.4.5.6.7.8.9.10.11.12.13.14.15.16"}) {
        EXPECT_FALSE(vek::IsDottedQuad(bad)) << bad;
    }
    EXPECT_FALSE(vek::IsDottedQuad(std::string("1.2.3.4\0", 8)));
}

} // namespace
