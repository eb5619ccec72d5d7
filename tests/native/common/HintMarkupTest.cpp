// The hint markup reader on text that is not markup. The reading of tags and line ends is in the
// window layer's hint tests.
#include <gtest/gtest.h>

#include "common/HintMarkup.h"

#include <string>
#include <vector>

namespace vek {
namespace {

// Hints carry names from server replies. A text of many "<" and one ">" far behind them once
// took a search and a copy to the ">" for every "<".
TEST(HintMarkup, ManyOpeningBracketsAreReadInOnePass) {
    const std::string text = std::string(1 << 20, '<') + "xx>";
    const std::vector<THintLine> oneRun{{THintRun{text, false, false}}};
    EXPECT_EQ(ParseHintMarkup(text), oneRun);
}

} // namespace
} // namespace vek
