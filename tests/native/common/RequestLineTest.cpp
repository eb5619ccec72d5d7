// The transport form of a request target: escaping keeps a request on one well-formed line, and
// the server's unescaping gives back exactly the text the client signed.
#include <gtest/gtest.h>

#include "common/RequestLine.h"

#include <string>

namespace vek {
namespace {

TEST(RequestLine, UnsafeBytesAreControlSpaceDelAndHighBytes) {
    for (int value = 0; value < 256; ++value) {
        const bool unsafe = value <= 0x20 || value >= 0x7F;
        EXPECT_EQ(IsRequestLineUnsafe(static_cast<unsigned char>(value)), unsafe) << value;
    }
}

TEST(RequestLine, EscapesOnlyUnsafeBytes) {
    EXPECT_EQ(EscapeRequestTarget("/a b\r\n\x80\x7F\xFF?x=1&y=~"), "/a%20b%0D%0A%80%7F%FF?x=1&y=~");
    EXPECT_EQ(EscapeRequestTarget(std::string("a\0b", 3)), "a%00b");
    EXPECT_EQ(EscapeRequestTarget("/p?pass=HMAC{a%2Bb/c%3D}"), "/p?pass=HMAC{a%2Bb/c%3D}");
}

TEST(RequestLine, EscapesAPercentThatWouldReadAsAnEscape) {
    EXPECT_EQ(EscapeRequestTarget("a%20b%25c%0dd%3De%"), "a%2520b%2525c%250dd%3De%");
}

TEST(RequestLine, EscapedTextIsOneLineOfPrintableBytes) {
    std::string all;
    for (int value = 0; value < 256; ++value) {
        all += static_cast<char>(value);
    }
    for (const char c : EscapeRequestTarget(all)) {
        EXPECT_FALSE(IsRequestLineUnsafe(static_cast<unsigned char>(c)));
    }
}

TEST(RequestLine, UnescapeTurnsBackOnlyUnsafeBytesAndPercent) {
    EXPECT_EQ(UnescapeRequestTarget("/a%20b%0d%0A%80%2525"), "/a b\r\n\x80%25");
    // Escapes of safe bytes are the URL-encoding of the request itself: they stay.
    EXPECT_EQ(UnescapeRequestTarget("c%3Dd%2B%41"), "c%3Dd%2B%41");
    EXPECT_EQ(UnescapeRequestTarget("%2"), "%2");
    EXPECT_EQ(UnescapeRequestTarget("%"), "%");
    EXPECT_EQ(UnescapeRequestTarget("%G0%0G"), "%G0%0G");
}

// The server checks the signature over the unescaped text, so every text the client signs must
// come back unchanged, including texts that hold "%" sequences of their own.
TEST(RequestLine, UnescapeGivesBackEveryEscapedText) {
    const std::string texts[] = {
        "/update?host=a b&x=\xE4\r\n",
        "/p?q=%20",
        "/p?q=%25",
        "/p?q=%2520",
        "/p?q=%0d%0A",
        "/p?q=100%25%20a%2Bb/c%3Dd",
        "/p?q=%%20%",
        "/p?q=% 20",
        "/p?q=%7f%FF%e4",
        std::string("/p?\0%00", 7),
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(UnescapeRequestTarget(EscapeRequestTarget(text)), text) << text;
    }
}

TEST(RequestLine, UnescapeGivesBackEveryByteAfterPercent) {
    for (int value = 0; value < 256; ++value) {
        for (const char* hex : {"0", "2", "7", "F", "f"}) {
            const std::string text = std::string("%") + hex + static_cast<char>(value) + "%";
            EXPECT_EQ(UnescapeRequestTarget(EscapeRequestTarget(text)), text) << value;
        }
    }
}

} // namespace
} // namespace vek
