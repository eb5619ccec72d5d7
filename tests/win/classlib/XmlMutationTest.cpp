// A fixed-seed mutation run over the readers of XML replies, which need the system's XML reader
// and so run here rather than under libFuzzer: a few thousand inputs made from real replies by
// byte changes, inserted markup, cuts, repeats and splices. Each input is either refused or read
// whole, and nothing faults.
#include <gtest/gtest.h>

#include "Unit4.h"
#include "XmlDocument.h"

#include <array>
#include <random>
#include <string>
#include <vector>

namespace vek {
namespace {

constexpr int kInputs = 3000;
constexpr std::uint32_t kSeed = 20261209;

const std::vector<std::string>& Corpus() {
    static const std::vector<std::string> corpus = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<client><id>c4f1e2</id>"
        "<key>0123456789abcdef0123456789abcdef</key></client>\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<error>Invalid e-mail address or "
        "password.</error>\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<user><enhanced>true</enhanced><alerts>"
        "<alert id=\"7\" title=\"Maintenance &amp; upgrades\" link=\"http://example.org/7?a=1&amp;"
        "b=2\">Tonight &lt;02:00&gt;</alert></alerts><notices><notice id=\"9\" "
        "title=\"Caf\xC3\xA9\" "
        "link=\"\">It&apos;s &quot;new&quot;</notice></notices><remoteinterval>300000"
        "</remoteinterval><email>someone@example.org</email></user>\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<disabled/>\n",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<client>\r\n  <!-- issued -->\r\n"
        "  <id>\xE9t\xE9</id>\r\n  <key><![CDATA[k<&>]]></key>\r\n</client>\r\n",
    };
    return corpus;
}

// Markup that a mutation inserts.
constexpr std::array<const char*, 14> kTokens = {"<",     ">",
                                                 "</",    "/>",
                                                 "&",     "&amp;",
                                                 "&#x0;", "<![CDATA[",
                                                 "]]>",   "<!--",
                                                 "-->",   "<!DOCTYPE r [<!ENTITY e \"x\">]>",
                                                 "=\"",   "<?xml version=\"1.0\"?>"};

class Mutator {
public:
    std::string Next() {
        std::string input = Pick(Corpus());
        const int steps = 1 + Below(4);
        for (int i = 0; i < steps; ++i) {
            Mutate(input);
        }
        return input;
    }

private:
    int Below(std::size_t bound) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_));
    }
    std::size_t Place(const std::string& text) {
        return static_cast<std::size_t>(Below(text.size() + 1));
    }
    const std::string& Pick(const std::vector<std::string>& from) {
        return from[Below(from.size())];
    }

    void Mutate(std::string& input) {
        const std::size_t at = Place(input);
        switch (Below(5)) {
        case 0:
            if (at < input.size()) {
                input[at] = static_cast<char>(Below(256));
            }
            break;
        case 1:
            input.insert(at, kTokens[Below(kTokens.size())]);
            break;
        case 2:
            input.erase(at, 1 + Below(16));
            break;
        case 3:
            input.insert(at, input.substr(Place(input), 1 + Below(32)));
            break;
        default: {
            const std::string& other = Pick(Corpus());
            input = input.substr(0, at) + other.substr(Place(other));
        }
        }
    }

    std::mt19937 random_{kSeed};
};

std::size_t Depth(const XmlElement& element) {
    std::size_t deepest = 0;
    for (const XmlElement& child : element.children) {
        deepest = std::max(deepest, Depth(child));
    }
    return deepest + 1;
}

TEST(XmlMutation, EachInputIsRefusedOrReadWhole) {
    for (const std::string& seed : Corpus()) {
        ASSERT_TRUE(ReadXmlDocument(seed)) << seed;
    }
    Mutator mutator;
    int read = 0;
    for (int i = 0; i < kInputs; ++i) {
        const std::string input = mutator.Next();
        const auto root = ReadXmlDocument(input);
        const auto registration = ReadRegistrationReply(input);
        if (!root) {
            EXPECT_FALSE(registration) << input;
            continue;
        }
        ++read;
        EXPECT_LE(Depth(*root), kMaxXmlDepth) << input;
        EXPECT_FALSE(root->name.empty()) << input;
        // A well-formed document ends with its last ">": without it nothing is read.
        EXPECT_FALSE(ReadXmlDocument(input.substr(0, input.rfind('>')))) << input;
        if (registration) {
            EXPECT_EQ(registration->id, root->Child("id")->text) << input;
            EXPECT_EQ(registration->key, root->Child("key")->text) << input;
        }
    }
    // The run reaches past the reader's first checks.
    EXPECT_GT(read, kInputs / 20);
}

} // namespace
} // namespace vek
