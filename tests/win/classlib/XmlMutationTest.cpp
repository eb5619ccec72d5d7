// A fixed-seed mutation run over the readers of XML replies, which need the system's XML reader
// and so run here rather than under libFuzzer: a few thousand inputs made from real replies by
// byte changes, inserted markup, cuts, repeats and splices. Each reader either refuses an input or
// reads it whole, no exception escapes it, and nothing faults.
#include <gtest/gtest.h>

#include "Main/core/NoticesReply.h"
#include "Main/forms/Unit4.h"
#include "classlib/XmlDocument.h"
#include "common/DecimalText.h"

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
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
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<user><error/><ALERTS><alert>No id</alert>"
        "<alert id=\"-3\" title=\"t\"/></ALERTS><Notices><notice id=\"0\">zero</notice><notice "
        "id=\"214748364\" link=\"l\"/></Notices><Enhanced>0</Enhanced><RemoteInterval>-1"
        "</RemoteInterval></user>\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<disabled/>\n",
        "<?xml version=\"1.0\"?><quota><left>0</left></quota>",
        "-1",
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

// The XML reader itself: a document it reads is bounded in depth and ends with its last ">".
bool CheckDocument(const std::string& input, const XmlElement* root) {
    if (root != nullptr) {
        EXPECT_LE(Depth(*root), kMaxXmlDepth);
        EXPECT_FALSE(root->name.empty());
        EXPECT_FALSE(ReadXmlDocument(input.substr(0, input.rfind('>'))));
    }
    return root != nullptr;
}

bool CheckRegistration(const std::string& input, const XmlElement* root) {
    const std::optional<TRegistration> registration = ReadRegistrationReply(input);
    if (!registration) {
        return false;
    }
    EXPECT_NE(root, nullptr);
    if (root != nullptr) {
        EXPECT_EQ(registration->id, root->Child("id")->text);
        EXPECT_EQ(registration->key, root->Child("key")->text);
    }
    return true;
}

// The alerts, then the notices, of a "user" document, as item and code text.
std::vector<std::pair<std::string, std::string>> NoticeItems(const XmlElement& root) {
    std::vector<std::pair<std::string, std::string>> items;
    for (const auto& [container, item, kind] :
         {std::tuple{"alerts", "alert", "2"}, std::tuple{"notices", "notice", "1"}}) {
        const XmlElement* found = root.Child(container);
        if (found == nullptr) {
            continue;
        }
        for (const XmlElement& child : found->children) {
            if (child.name == item) {
                items.emplace_back(child.Attribute("title") + "|" + child.text + "|" +
                                       child.Attribute("link"),
                                   child.Attribute("id") + kind);
            }
        }
    }
    return items;
}

// A reply that is not rejected gives the document's values, each converted.
bool CheckNotices(const std::string& input, const XmlElement* root) {
    const TNoticesReply reply = ReadNoticesReply(input);
    if (!input.starts_with("<?xml version")) {
        EXPECT_EQ(reply.kind, TNoticesReplyKind::NotXml);
        return false;
    }
    const std::string rootName = root ? root->name : "";
    EXPECT_EQ(reply.userRoot, rootName == "user");
    if (reply.kind == TNoticesReplyKind::Rejected) {
        EXPECT_FALSE(reply.rejection.empty());
    }
    if (rootName != "user") {
        EXPECT_EQ(reply.kind, rootName == "disabled" ? TNoticesReplyKind::Disabled
                                                     : TNoticesReplyKind::Rejected);
        return false;
    }
    if (reply.kind != TNoticesReplyKind::User) {
        EXPECT_EQ(reply.kind, TNoticesReplyKind::Rejected);
        return false;
    }
    const TNoticesUser& read = reply.user;
    const XmlElement* interval = root->Child("remoteinterval");
    EXPECT_EQ(read.enhanced.has_value(), root->Child("enhanced") != nullptr);
    EXPECT_EQ(read.remoteInterval.has_value(), interval != nullptr);
    EXPECT_EQ(read.remoteInterval, interval ? ParseDecimalInt32(interval->text) : std::nullopt);
    EXPECT_EQ(read.error, root->Child("error") != nullptr);
    const XmlElement* email = root->Child("email");
    EXPECT_EQ(read.email, email ? std::optional(email->text) : std::nullopt);
    const auto items = NoticeItems(*root);
    EXPECT_EQ(read.notices.size(), items.size());
    for (std::size_t i = 0; i < std::min(read.notices.size(), items.size()); ++i) {
        EXPECT_EQ(read.notices[i].NoticeItem, items[i].first);
        EXPECT_EQ(ParseDecimalInt32(items[i].second), read.notices[i].NoticeCode);
    }
    return true;
}

// Each reader's check takes an input and the document the XML reader made of it (none when it
// refused it), and says whether the reader read the input; the run must read at least so many.
struct ReplyReader {
    const char* name;
    bool (*check)(const std::string& input, const XmlElement* root);
    int fewestReads;
};

constexpr std::array<ReplyReader, 3> kReaders = {
    ReplyReader{"document", CheckDocument, kInputs / 20},
    ReplyReader{"registration", CheckRegistration, kInputs / 100},
    ReplyReader{"notices", CheckNotices, kInputs / 100}};

TEST(XmlMutation, EachInputIsRefusedOrReadWhole) {
    for (const std::string& seed : Corpus()) {
        EXPECT_EQ(ReadXmlDocument(seed).has_value(), seed.starts_with("<?xml")) << seed;
    }
    Mutator mutator;
    std::array<int, kReaders.size()> read{};
    for (int i = 0; i < kInputs; ++i) {
        const std::string input = mutator.Next();
        SCOPED_TRACE(input);
        const std::optional<XmlElement> root = ReadXmlDocument(input);
        for (std::size_t reader = 0; reader < kReaders.size(); ++reader) {
            SCOPED_TRACE(kReaders[reader].name);
            try {
                read[reader] += kReaders[reader].check(input, root ? &*root : nullptr);
            } catch (...) {
                ADD_FAILURE() << "an exception escaped the reader";
            }
        }
    }
    // The run reaches past each reader's first checks.
    for (std::size_t reader = 0; reader < kReaders.size(); ++reader) {
        EXPECT_GE(read[reader], kReaders[reader].fewestReads) << kReaders[reader].name;
    }
}

} // namespace
} // namespace vek
