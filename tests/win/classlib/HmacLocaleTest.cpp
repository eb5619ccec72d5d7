// SHA-1 and HMAC-SHA1 of the system's cryptography against the FIPS 180 and RFC 2202 vectors,
// and the locale's case-insensitive comparison.
#include <gtest/gtest.h>

#include "classlib/HmacSha1.h"
#include "classlib/Locale.h"

#include <string>

namespace vek {
namespace {

std::string Hex(const Sha1Digest& digest) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

struct HmacCase {
    const char* name;
    std::string key;
    std::string data;
    const char* digest;
};

void PrintTo(const HmacCase& c, std::ostream* os) { *os << c.name; }

class HmacSha1Test : public ::testing::TestWithParam<HmacCase> {};

TEST_P(HmacSha1Test, MatchesRfc2202) {
    const auto digest = HmacSha1(GetParam().key, GetParam().data);
    ASSERT_TRUE(digest.has_value());
    EXPECT_EQ(Hex(*digest), GetParam().digest);
}

std::string Counting(int count) {
    std::string bytes;
    for (int i = 1; i <= count; ++i) {
        bytes += static_cast<char>(i);
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Rfc2202, HmacSha1Test,
    ::testing::Values(
        HmacCase{"Case1", std::string(20, '\x0b'), "Hi There",
                 "b617318655057264e28bc0b6fb378c8ef146be00"},
        HmacCase{"Case2", "Jefe", "what do ya want for nothing?",
                 "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        HmacCase{"Case3", std::string(20, '\xaa'), std::string(50, '\xdd'),
                 "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
        HmacCase{"Case4", Counting(25), std::string(50, '\xcd'),
                 "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
        HmacCase{"Case5", std::string(20, '\x0c'), "Test With Truncation",
                 "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
        HmacCase{"Case6LongKey", std::string(80, '\xaa'),
                 "Test Using Larger Than Block-Size Key - Hash Key First",
                 "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
        HmacCase{"Case7LongKeyAndData", std::string(80, '\xaa'),
                 "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
                 "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Sha1, MatchesFips180) {
    EXPECT_EQ(Hex(Sha1("").value()), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Hex(Sha1("abc").value()), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Hex(Sha1(std::string(1000, 'a')).value()),
              "291e9a6c66994949b57ba5e650361e98fc36b1ba");
}

TEST(AnsiCompareText, IgnoresCaseAndOrdersAlphabetically) {
    EXPECT_EQ(AnsiCompareText("Host.Example", "hOST.eXAMPLE"), 0);
    EXPECT_LT(AnsiCompareText("alpha", "BRAVO"), 0);
    EXPECT_GT(AnsiCompareText("Bravo", "alpha"), 0);
    EXPECT_LT(AnsiCompareText("ab", "ABC"), 0);
    EXPECT_GT(AnsiCompareText("abc", "AB"), 0);
    EXPECT_EQ(AnsiCompareText("", ""), 0);
    EXPECT_EQ(AnsiCompareText(std::string_view(), std::string_view()), 0);
    EXPECT_LT(AnsiCompareText(std::string_view(), "a"), 0);
    EXPECT_GT(AnsiCompareText("a", ""), 0);
}

} // namespace
} // namespace vek
