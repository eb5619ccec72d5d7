// ASCII case folding and hex digits: only 'A'..'Z' and the hex digits count, bytes above ASCII
// pass through unchanged.
#include <gtest/gtest.h>

#include "common/Ascii.h"

namespace vek {
namespace {

TEST(AsciiTest, FoldsOnlyTheAsciiCapitals) {
    EXPECT_EQ(LowerAscii("Host-@[Z]`az\xC4\xD6"), "host-@[z]`az\xC4\xD6");
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Transfer-ENCODING", "transfer-encoding"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("chunked", "chunke"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC4", "\xE4"));
}

TEST(AsciiTest, HexValueOfEachDigitAndMinusOneForTheRest) {
    for (const auto& [c, value] : {std::pair{'0', 0},
                                   {'9', 9},
                                   {'A', 10},
                                   {'f', 15},
                                   {'F', 15},
                                   {'G', -1},
                                   {'g', -1},
                                   {'/', -1},
                                   {':', -1},
                                   {'@', -1},
                                   {'`', -1},
                                   {'\xB0', -1}}) {
        EXPECT_EQ(HexValue(c), value) << c;
    }
}

} // namespace
} // namespace vek
