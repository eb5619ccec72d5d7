// The DNS codec against hand-made messages: the query bytes, and the reply cases the public
// address detection meets (record kinds, damaged replies, compression pointers).
#include <gtest/gtest.h>

#include "common/DnsMessage.h"

#include <initializer_list>

namespace vek {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

// Header of a reply with ID 0x1234, RD and RA, the given RCODE and counts.
std::string Header(int qd, int an, int ns, int ar, int rcode = 0) {
    return Bytes({0x12, 0x34, 0x81, 0x80 | rcode, 0, qd, 0, an, 0, ns, 0, ar});
}
const std::string kQuestion = Bytes({2, 'i', 'p', 0, 0, 1, 0, 1});
// A record owned by the question's name (pointer to offset 12).
std::string Record(int type, std::initializer_list<int> rdata, int rdLength = -1) {
    const int length = rdLength < 0 ? static_cast<int>(rdata.size()) : rdLength;
    return Bytes({0xC0, 12, 0, type, 0, 1, 0, 0, 0x0E, 0x10, length >> 8, length & 0xFF}) +
           Bytes(rdata);
}

TEST(DnsQuery, IsTheTwentyByteQuestionForIp) {
    const auto query = BuildDnsQuery("ip", DnsQueryParams{0xBEEF, true, {kDnsTypeA}, 1});
    ASSERT_TRUE(query);
    EXPECT_EQ(*query,
              Bytes({0xBE, 0xEF, 0x01, 0x00, 0, 1, 0, 0, 0, 0, 0, 0, 2, 'i', 'p', 0, 0, 1, 0, 1}));
}

TEST(DnsQuery, KeepsCaseAndSplitsLabels) {
    const auto query = BuildDnsQuery("Ab.c", DnsQueryParams{1, false, {kDnsTypeA}, 1});
    ASSERT_TRUE(query);
    EXPECT_EQ(query->substr(2, 2), Bytes({0, 0}));
    EXPECT_EQ(query->substr(12), Bytes({2, 'A', 'b', 1, 'c', 0, 0, 1, 0, 1}));
}

TEST(DnsQuery, RejectsALabelOver255Bytes) {
    EXPECT_TRUE(BuildDnsQuery(std::string(255, 'x'), DnsQueryParams{1, true, {1}, 1}));
    EXPECT_FALSE(BuildDnsQuery(std::string(256, 'x'), DnsQueryParams{1, true, {1}, 1}));
}

struct ReplyCase {
    const char* name;
    std::string message;
    DnsReplyError error;
    std::size_t records;
    const char* firstData; // DottedRecordData of the first record; nullptr when it fails
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class DnsReplyCases : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(DnsReplyCases, Parse) {
    const ReplyCase& c = GetParam();
    const DnsReply reply = ParseDnsReply(c.message, 0x1234);
    EXPECT_EQ(reply.error, c.error);
    ASSERT_EQ(reply.records.size(), c.records);
    if (c.records > 0) {
        const auto text = DottedRecordData(reply.records.front());
        if (c.firstData == nullptr) {
            EXPECT_FALSE(text);
        } else {
            ASSERT_TRUE(text);
            EXPECT_EQ(*text, c.firstData);
        }
    }
}

const std::string kSoa = Bytes({0, 6, 0, 1, 0, 0, 0, 60, 0, 5, 1, 'a', 0, 0, 7});

INSTANTIATE_TEST_SUITE_P(
    Replies, DnsReplyCases,
    ::testing::Values(
        ReplyCase{"A", Header(1, 1, 0, 0) + kQuestion + Record(1, {203, 0, 113, 7}),
                  DnsReplyError::None, 1, "203.0.113.7"},
        ReplyCase{"CnameFirst",
                  Header(1, 2, 0, 0) + kQuestion + Record(5, {1, 'x', 0xC0, 12}) +
                      Record(1, {192, 0, 2, 1}),
                  DnsReplyError::None, 2, "1.120.192.12"},
        ReplyCase{"SoaInAuthorityOnly", Header(1, 0, 1, 0) + kQuestion + Bytes({0}) + kSoa,
                  DnsReplyError::None, 1, "1.97.0.0.7"},
        ReplyCase{"AdditionalOnly", Header(1, 0, 0, 1) + kQuestion + Record(1, {9, 8, 7, 6}),
                  DnsReplyError::None, 1, "9.8.7.6"},
        ReplyCase{"Aaaa",
                  Header(1, 1, 0, 0) + kQuestion +
                      Record(28, {32, 1, 13, 184, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
                  DnsReplyError::None, 1, "32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.1"},
        ReplyCase{"RdLengthZero", Header(1, 1, 0, 0) + kQuestion + Record(1, {}),
                  DnsReplyError::None, 1, ""},
        ReplyCase{"NoQuestionEchoed",
                  Header(0, 1, 0, 0) + Bytes({0}) + Record(1, {1, 2, 3, 4}).substr(2),
                  DnsReplyError::None, 1, "1.2.3.4"},
        ReplyCase{"RdataShorterThanRdLength",
                  Header(1, 1, 0, 0) + kQuestion + Record(1, {10, 0}, 4), DnsReplyError::None, 1,
                  nullptr},
        ReplyCase{"WrongId",
                  Bytes({0x12, 0x35}) + Header(1, 1, 0, 0).substr(2) + kQuestion +
                      Record(1, {1, 2, 3, 4}),
                  DnsReplyError::WrongId, 0, nullptr},
        ReplyCase{"Rcode3", Header(1, 0, 0, 0, 3) + kQuestion, DnsReplyError::ServerError, 0,
                  nullptr},
        ReplyCase{"Eleven", Header(1, 1, 0, 0).substr(0, 11), DnsReplyError::TooShort, 0, nullptr},
        ReplyCase{"HeaderOnly", Header(1, 1, 0, 0), DnsReplyError::None, 0, nullptr},
        ReplyCase{"NoRecordsCounted", Header(1, 0, 0, 0) + kQuestion, DnsReplyError::None, 0,
                  nullptr},
        ReplyCase{"SecondRecordMissing", Header(1, 2, 0, 0) + kQuestion + Record(1, {1, 2, 3, 4}),
                  DnsReplyError::BadName, 0, nullptr},
        ReplyCase{"RecordHeaderCut", Header(1, 1, 0, 0) + kQuestion + Record(1, {}).substr(0, 9),
                  DnsReplyError::RecordOutside, 0, nullptr},
        ReplyCase{"QuestionCut", Header(1, 1, 0, 0) + kQuestion.substr(0, 6),
                  DnsReplyError::RecordOutside, 0, nullptr},
        ReplyCase{"PointerLoop",
                  Header(0, 1, 0, 0) + Bytes({0xC0, 12, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0}),
                  DnsReplyError::BadName, 0, nullptr},
        ReplyCase{"PointerPastEnd",
                  Header(0, 1, 0, 0) + Bytes({0xC0, 200, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0}),
                  DnsReplyError::BadName, 0, nullptr},
        ReplyCase{"TwoPointerLoop",
                  Header(0, 1, 0, 0) +
                      Bytes({1, 'a', 0xC0, 16, 0xC0, 12, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0}),
                  DnsReplyError::BadName, 0, nullptr},
        ReplyCase{"PointerCut", Header(0, 1, 0, 0) + Bytes({0xC0}), DnsReplyError::BadName, 0,
                  nullptr},
        ReplyCase{"LabelPastEnd", Header(0, 1, 0, 0) + Bytes({9, 'a'}), DnsReplyError::BadName, 0,
                  nullptr},
        ReplyCase{"ReservedLabelType", Header(0, 1, 0, 0) + Bytes({0x40, 0, 0}),
                  DnsReplyError::BadName, 0, nullptr}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

TEST(DnsReply, RefusesForwardPointersAndFollowsBackwardOnes) {
    const std::string message = Header(1, 1, 0, 0) + Bytes({3, 'w', 'w', 'w', 0xC0, 21}) +
                                Bytes({0, 1, 0, 1}) + Bytes({2, 'i', 'p', 0}) +
                                Record(1, {1, 2, 3, 4}).substr(2);
    // The question name "www" + pointer to offset 21 ("ip") lies before its target: a forward
    // pointer, which is refused.
    EXPECT_EQ(ParseDnsReply(message, 0x1234).error, DnsReplyError::BadName);

    const std::string backward = Header(1, 1, 0, 0) + kQuestion +
                                 Bytes({3, 'w', 'w', 'w', 0xC0, 12}) +
                                 Record(1, {1, 2, 3, 4}).substr(2);
    const DnsReply reply = ParseDnsReply(backward, 0x1234);
    ASSERT_EQ(reply.error, DnsReplyError::None);
    ASSERT_EQ(reply.records.size(), 1u);
    EXPECT_EQ(reply.records[0].name, "www.ip");
    EXPECT_EQ(reply.records[0].ttl, 3600u);
}

} // namespace
} // namespace vek
