// Base64, the client's URL-encoding and the parts of a signed request that need no HMAC.
#include <gtest/gtest.h>

#include "common/Base64.h"
#include "common/RequestSignature.h"
#include "common/UrlEncode.h"

#include <string>

namespace vek {
namespace {

struct Base64Case {
    std::string bytes;
    std::string text;
};

// Names the case in test output.
void PrintTo(const Base64Case& c, std::ostream* os) {
    for (const char byte : c.text) {
        *os << (byte > ' ' && byte < 127 ? byte : '.');
    }
}

class Base64EncodeTest : public ::testing::TestWithParam<Base64Case> {};

TEST_P(Base64EncodeTest, EncodesWithPadding) {
    EXPECT_EQ(Base64Encode(GetParam().bytes), GetParam().text);
    EXPECT_EQ(Base64EncodedLength(GetParam().bytes.size()), GetParam().text.size());
}

INSTANTIATE_TEST_SUITE_P(Vectors, Base64EncodeTest,
                         ::testing::Values(Base64Case{"abc", "YWJj"}, Base64Case{"ab", "YWI="},
                                           Base64Case{"a", "YQ=="}, Base64Case{"", ""},
                                           Base64Case{"abcd", "YWJjZA=="},
                                           Base64Case{std::string("\xFB\xFF\x00", 3), "+/8A"}));

class Base64DecodeTest : public ::testing::TestWithParam<Base64Case> {};

TEST_P(Base64DecodeTest, SkipsEveryByteOutsideTheAlphabet) {
    EXPECT_EQ(Base64Decode(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, Base64DecodeTest,
    ::testing::Values(Base64Case{"abc", "YW Jj\r\n"},
                      // Pad characters in the middle are skipped; they do not end the input.
                      Base64Case{"\x61\x06\x10", "YQ==YQ=="}, Base64Case{"ab", "YWI"},
                      Base64Case{"", "Y"}, Base64Case{"", "==\r\n -_\x80\xFF"}, Base64Case{"", ""},
                      // The URL-safe alphabet's "-" and "_" are skipped too.
                      Base64Case{"abc", "Y-W_Jj"}));

TEST(Base64, RoundTripsEveryByteValue) {
    std::string all;
    for (int value = 0; value < 256; ++value) {
        all += static_cast<char>(value);
    }
    for (std::size_t length = 0; length <= 3; ++length) {
        const std::string bytes = all.substr(0, all.size() - length);
        EXPECT_EQ(Base64Decode(Base64Encode(bytes)), bytes) << "length " << bytes.size();
    }
}

TEST(URLEncode, EncodesPercentOnceAndLeavesSlash) {
    EXPECT_EQ(URLEncode("100% a+b/c=d"), "100%25%20a%2Bb/c%3Dd");
}

TEST(URLEncode, ReplacesEachOfTheSeventeenCharacters) {
    const struct {
        char character;
        const char* escape;
    } cases[] = {{'%', "%25"}, {' ', "%20"}, {'~', "%7E"}, {'!', "%21"}, {'@', "%40"}, {'#', "%23"},
                 {'$', "%24"}, {'^', "%5E"}, {'&', "%26"}, {'*', "%2A"}, {'(', "%28"}, {')', "%29"},
                 {'+', "%2B"}, {'`', "%60"}, {'=', "%3D"}, {'[', "%5B"}, {']', "%5D"}};
    for (const auto& c : cases) {
        const std::string text = std::string("x") + c.character + "y" + c.character;
        EXPECT_EQ(URLEncode(text), std::string("x") + c.escape + "y" + c.escape) << c.character;
    }
}

TEST(URLEncode, PassesEveryOtherByteUnchanged) {
    const std::string encoded = "% ~!@#$^&*()+`=[]";
    std::string others;
    for (int value = 0; value < 256; ++value) {
        if (encoded.find(static_cast<char>(value)) == std::string::npos) {
            others += static_cast<char>(value);
        }
    }
    ASSERT_EQ(others.size(), 256u - 17u);
    EXPECT_EQ(URLEncode(others), others);
}

TEST(SignedText, StartsAtTheFirstSlash) {
    EXPECT_FALSE(SignedText("host.example").has_value());
    EXPECT_FALSE(SignedText("").has_value());
    EXPECT_EQ(SignedText("host.example/"), "/");
    EXPECT_EQ(SignedText("host.example/a/b?c=/d"), "/a/b?c=/d");
    EXPECT_EQ(SignedText("/"), "/");
}

TEST(SignedText, TakesAtMost99999Bytes) {
    const std::string url = "h" + std::string(120000, '/');
    EXPECT_EQ(SignedText(url)->size(), 99999u);
    const std::string exact = "h/" + std::string(99998, 'x');
    EXPECT_EQ(SignedText(exact)->size(), 99999u);
}

TEST(SignatureSuffix, EncodesTheBase64Signature) {
    EXPECT_EQ(SignatureSuffix("7/zfauXrL6LSdBbV8YTfnCWafHk="),
              "&pass=HMAC{7/zfauXrL6LSdBbV8YTfnCWafHk%3D}");
    EXPECT_EQ(SignatureSuffix("a+b+/cdefghijklmnopqrstuvwx="),
              "&pass=HMAC{a%2Bb%2B/cdefghijklmnopqrstuvwx%3D}");
}

} // namespace
} // namespace vek
