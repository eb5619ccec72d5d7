// Delimited-text reading and writing, and the sorted case-insensitive string list and name set.
#include <gtest/gtest.h>

#include "common/DelimitedText.h"
#include "common/SortedNameSet.h"
#include "common/SortedStringList.h"

#include <string>
#include <vector>

namespace vek {
namespace {

using Items = std::vector<std::string>;

struct ReadCase {
    std::string name;
    std::string text;
    char delimiter;
    Items items;
};

// Names the case in test output.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadDelimitedTextTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadDelimitedTextTest, SplitsAsTheClassLibraryDoes) {
    EXPECT_EQ(ReadDelimitedText(GetParam().text, GetParam().delimiter), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadDelimitedTextTest,
    ::testing::Values(ReadCase{"Delimiter", "a&b&c", '&', {"a", "b", "c"}},
                      ReadCase{"OtherDelimiter", "a|b&c", '|', {"a", "b&c"}},
                      ReadCase{"Empty", "", '&', {}}, ReadCase{"OnlyBlanks", " \t\r\n", '&', {}},
                      ReadCase{"BlankRunSeparates", "a b\tc\r\nd", '&', {"a", "b", "c", "d"}},
                      ReadCase{"EveryControlByteSeparates",
                               std::string("a\x01"
                                           "b\x1F"
                                           "c\x20"
                                           "d"),
                               '&',
                               {"a", "b", "c", "d"}},
                      ReadCase{"Byte33DoesNotSeparate", "a!b", '&', {"a!b"}},
                      ReadCase{"BlanksAroundDelimiter", "  a  &  b  ", '&', {"a", "b"}},
                      ReadCase{"QuotedKeepsBlanksAndDelimiter", "\"a b&c\"&d", '&', {"a b&c", "d"}},
                      ReadCase{"DoubledQuotes", "\"say \"\"hi\"\"\"&x", '&', {"say \"hi\"", "x"}},
                      ReadCase{"EmptyQuoted", "\"\"&x", '&', {"", "x"}},
                      ReadCase{
                          "TextAfterClosingQuoteIsNextItem", "\"ab\"cd&e", '&', {"ab", "cd", "e"}},
                      ReadCase{"UnterminatedQuoteLosesLastByte", "x&\"abc", '&', {"x", "ab"}},
                      ReadCase{"UnterminatedSingleByte", "\"a", '&', {""}},
                      ReadCase{"EmptyItemBetweenDelimiters", "a&&b", '&', {"a", "", "b"}},
                      ReadCase{"LeadingDelimiter", "&a", '&', {"", "a"}},
                      ReadCase{"TrailingDelimiter", "a&", '&', {"a", ""}},
                      ReadCase{"TrailingDelimiterThenBlank", "a& ", '&', {"a"}},
                      ReadCase{"OnlyDelimiter", "&", '&', {"", ""}},
                      ReadCase{"NulEndsText", std::string("a&b\0&c", 6), '&', {"a", "b"}},
                      ReadCase{"NulRightAfterDelimiter", std::string("a&\0b", 4), '&', {"a", ""}}),
    [](const auto& info) { return info.param.name; });

struct WriteCase {
    std::string name;
    Items items;
    std::string text;
};

// Names the case in test output.
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class WriteDelimitedTextTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteDelimitedTextTest, QuotesWhatReadingWouldSplit) {
    EXPECT_EQ(WriteDelimitedText(GetParam().items, '&'), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteDelimitedTextTest,
    ::testing::Values(WriteCase{"Plain", {"a", "b"}, "a&b"}, WriteCase{"NoItems", {}, ""},
                      WriteCase{"SingleEmptyItem", {""}, "\"\""},
                      WriteCase{"EmptyItemsAmongOthers", {"a", "", "b", ""}, "a&&b&"},
                      WriteCase{"Blank", {"a b"}, "\"a b\""},
                      WriteCase{"ControlByte", {"a\x01"}, "\"a\x01\""},
                      WriteCase{"Delimiter", {"a&b", "c"}, "\"a&b\"&c"},
                      WriteCase{"QuoteDoubled", {"say \"hi\""}, "\"say \"\"hi\"\"\""},
                      WriteCase{"Byte33Plain", {"a!b"}, "a!b"}),
    [](const auto& info) { return info.param.name; });

TEST(DelimitedText, WrittenItemsReadBack) {
    const Items items = {"plain", "two words", "q\"uote", "a&b", "", "end"};
    EXPECT_EQ(ReadDelimitedText(WriteDelimitedText(items, '&'), '&'), items);
}

TEST(AsciiCompareText, IgnoresLetterCaseOnly) {
    EXPECT_EQ(AsciiCompareText("Host.Example", "host.EXAMPLE"), 0);
    EXPECT_LT(AsciiCompareText("a", "B"), 0);
    EXPECT_GT(AsciiCompareText("b", "A"), 0);
    EXPECT_LT(AsciiCompareText("ab", "ABC"), 0);
    EXPECT_GT(AsciiCompareText("abc", "AB"), 0);
    EXPECT_EQ(AsciiCompareText("", ""), 0);
    EXPECT_NE(AsciiCompareText("\xC4", "\xE4"), 0);
}

TEST(SortedStringList, KeepsItemsSortedWithoutCaseDuplicates) {
    SortedStringList list(&AsciiCompareText);
    for (const char* name : {"delta", "Alpha", "charlie", "ALPHA", "bravo", "Charlie", "alpha"}) {
        list.Add(name);
    }
    EXPECT_EQ(list.Items(), (Items{"Alpha", "bravo", "charlie", "delta"}));
    EXPECT_TRUE(list.Contains("CHARLIE"));
    EXPECT_FALSE(list.Contains("echo"));
    EXPECT_EQ(list.Join("|"), "Alpha|bravo|charlie|delta");
}

TEST(SortedNameSet, KeepsNamesSortedWithoutCaseDuplicates) {
    SortedNameSet names(&AsciiCompareText);
    for (const char* name : {"delta", "Alpha", "charlie", "bravo"}) {
        EXPECT_TRUE(names.Add(name));
    }
    EXPECT_FALSE(names.Add("ALPHA"));
    EXPECT_EQ(names.Count(), 4u);
    EXPECT_TRUE(names.Contains("CHARLIE"));
    EXPECT_FALSE(names.Contains("echo"));
    EXPECT_EQ(names.Join(","), "Alpha,bravo,charlie,delta");
    names.Clear();
    EXPECT_TRUE(names.Empty());
    EXPECT_EQ(names.Join(","), "");
}

TEST(SortedStringList, AddReturnsThePositionOfTheItem) {
    SortedStringList list(&AsciiCompareText);
    EXPECT_EQ(list.Add("m"), 0u);
    EXPECT_EQ(list.Add("z"), 1u);
    EXPECT_EQ(list.Add("a"), 0u);
    EXPECT_EQ(list.Add("Z"), 2u);
    EXPECT_EQ(list.Count(), 3u);
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list.Join(", "), "");
}

} // namespace
} // namespace vek
