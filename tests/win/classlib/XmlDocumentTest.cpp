// XML replies read into a tree through the system's reader: lookups as the registration and the
// notice fetch use them, texts in the ANSI code page, and documents that give no tree at all.
#include <gtest/gtest.h>

#include "classlib/XmlDocument.h"

#include <windows.h>

#include <string>

namespace vek {
namespace {

std::string Nested(std::size_t depth) {
    std::string document;
    for (std::size_t i = 0; i < depth; ++i) {
        document += "<e>";
    }
    for (std::size_t i = 0; i < depth; ++i) {
        document += "</e>";
    }
    return document;
}

constexpr char kNotices[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<notices>
  <EMAIL>old@example.org</EMAIL>
  <email>new@example.org</email>
  <deeper><id>nested</id></deeper>
  <alerts>
    <alert id="7" title="First" link="http://example.org/7">Seven</alert>
    <Alert id="8">other name</Alert>
    <alert id="9">Nine</alert>
  </alerts>
</notices>)";

TEST(XmlDocument, LooksUpChildrenAndAttributesAsTheRepliesNeedThem) {
    const auto root = ReadXmlDocument(kNotices);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->name, "notices");
    // Any letter case, the last one counting.
    ASSERT_NE(root->Child("Email"), nullptr);
    EXPECT_EQ(root->Child("Email")->text, "new@example.org");
    // Only direct children.
    EXPECT_EQ(root->Child("id"), nullptr);
    EXPECT_EQ(root->Child("missing"), nullptr);

    const XmlElement* alerts = root->Child("alerts");
    ASSERT_NE(alerts, nullptr);
    ASSERT_EQ(alerts->children.size(), 3u);
    const XmlElement& first = alerts->children[0];
    EXPECT_EQ(first.name, "alert");
    EXPECT_EQ(first.Attribute("id"), "7");
    EXPECT_EQ(first.Attribute("title"), "First");
    EXPECT_EQ(first.Attribute("link"), "http://example.org/7");
    EXPECT_EQ(first.Attribute("Title"), "");
    EXPECT_EQ(first.text, "Seven");
    EXPECT_EQ(alerts->children[1].name, "Alert");
    EXPECT_EQ(alerts->children[2].Attribute("id"), "9");
    EXPECT_EQ(alerts->children[2].Attribute("title"), "");
    EXPECT_EQ(alerts->children[2].text, "Nine");
}

struct TextCase {
    const char* label;
    std::string document;
    std::string text; // of the root element
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.label; }

class XmlText : public ::testing::TestWithParam<TextCase> {};

// The expected bytes are those of the Western code page, the ANSI one of the tests' prefix.
TEST_P(XmlText, ComesBackAsAnsiBytes) {
    if (::GetACP() != 1252) {
        GTEST_SKIP() << "ANSI code page " << ::GetACP();
    }
    const auto root = ReadXmlDocument(GetParam().document);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlText,
    ::testing::Values(
        TextCase{"Entities", "<r>&amp;&lt;&gt;&quot;&apos;&#65;&#x42;</r>", "&<>\"'AB"},
        TextCase{"CData", "<r><![CDATA[<id>&amp;</id>]]></r>", "<id>&amp;</id>"},
        TextCase{"AroundChildren", "<r> a <c>inner</c><![CDATA[b]]> c </r>", " a b c "},
        TextCase{"Utf8ByDefault", "<r>caf\xC3\xA9</r>", "caf\xE9"},
        TextCase{"DeclaredLatin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>caf\xE9</r>",
                 "caf\xE9"},
        TextCase{"DeclaredInAnyCase",
                 "<?xml version='1.0' encoding = 'iso-8859-1' standalone='yes'?><r>\xE9</r>",
                 "\xE9"},
        TextCase{"Windows1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>\x80</r>",
                 "\x80"},
        TextCase{"NoAnsiCharacter", "<r>&#x4E2D;</r>", "?"},
        TextCase{"DeepestAllowed", Nested(kMaxXmlDepth), ""}),
    [](const auto& info) { return std::string(info.param.label); });

struct BrokenCase {
    const char* label;
    std::string document;
};
void PrintTo(const BrokenCase& c, std::ostream* os) { *os << c.label; }

class XmlBroken : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(XmlBroken, GivesNoTree) { EXPECT_FALSE(ReadXmlDocument(GetParam().document)); }

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlBroken,
    ::testing::Values(
        BrokenCase{"Empty", ""}, BrokenCase{"NotXml", "id=1&key=2"},
        BrokenCase{"UnclosedRoot", "<r><id>1</id>"},
        BrokenCase{"UnclosedElements", "<r><a><b></b>"}, BrokenCase{"TextCutOff", "<r>abc"},
        BrokenCase{"SpaceCutOff", "<r><id>1</id>\n  "}, BrokenCase{"StartTagCutOff", "<r><id"},
        BrokenCase{"MismatchedTag", "<r><id>1</key></r>"},
        BrokenCase{"GarbageAfterRoot", "<r/>junk"}, BrokenCase{"TwoRoots", "<r/><r/>"},
        BrokenCase{"TooDeep", Nested(kMaxXmlDepth + 1)},
        BrokenCase{"Dtd", "<!DOCTYPE r [<!ENTITY e \"boom\">]><r>&e;</r>"},
        BrokenCase{"ExternalDtd", "<!DOCTYPE r SYSTEM \"http://192.0.2.1/r.dtd\"><r/>"},
        BrokenCase{"UnknownEncoding", "<?xml version=\"1.0\" encoding=\"x-none\"?><r/>"},
        // Wine's reader stops the process on these two instead of failing.
        BrokenCase{"CutInsideTheDeclaration", "<?xm"},
        BrokenCase{"NulInsideTheDeclaration", std::string("<?xm\0l version=\"1.0\"?><r/>", 26)},
        BrokenCase{"OnlyTheDeclaration", "<?xml version=\"1.0\"?>"},
        BrokenCase{"BrokenAfterTheRewrittenDeclaration",
                   "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>\xE9<r>"}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace vek
