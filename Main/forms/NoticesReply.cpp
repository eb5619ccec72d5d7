#include "NoticesReply.h"

#include "DecimalText.h"
#include "SortedStringList.h"
#include "XmlDocument.h"

#include <string_view>

namespace vek {
namespace {

constexpr std::string_view kXmlStart = "<?xml version";
// The largest id whose code (id * 10 + kind) stays within 32 bits.
constexpr std::int32_t kMaxItemId = 214748364;

// Thrown while reading; the whole reply is rejected with its text.
struct RejectedReply {
    std::string reason;
};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::int32_t ReadInteger(const XmlElement& element) {
    const std::optional<std::int32_t> value = ParseDecimalInt32(element.text);
    if (!value) {
        throw RejectedReply{element.name + " " + Quoted(element.text) +
                            " is not a decimal integer"};
    }
    return *value;
}

// A number (zero is false) or the word true or false in any letter case.
bool ReadBoolean(const XmlElement& element) {
    if (AsciiCompareText(element.text, "true") == 0) {
        return true;
    }
    if (AsciiCompareText(element.text, "false") == 0) {
        return false;
    }
    const std::optional<std::int32_t> value = ParseDecimalInt32(element.text);
    if (!value) {
        throw RejectedReply{element.name + " " + Quoted(element.text) + " is not a boolean"};
    }
    return *value != 0;
}

// Adds the container's children of exactly the item name, in document order; children of other
// names are skipped.
void ReadItems(const XmlElement* container, std::string_view itemName, std::int32_t kind,
               TNoticeList& notices) {
    if (container == nullptr) {
        return;
    }
    for (const XmlElement& item : container->children) {
        if (item.name != itemName) {
            continue;
        }
        const std::string idText = item.Attribute("id");
        const std::optional<std::int32_t> id = ParseDecimalInt32(idText);
        if (!id || *id < 1 || *id > kMaxItemId) {
            throw RejectedReply{std::string(itemName) + " id " + Quoted(idText) +
                                " is not a number from 1 to " + std::to_string(kMaxItemId)};
        }
        notices.push_back({item.Attribute("title") + "|" + item.text + "|" + item.Attribute("link"),
                           *id * 10 + kind});
    }
}

TNoticesUser ReadUser(const XmlElement& root) {
    TNoticesUser user;
    if (const XmlElement* enhanced = root.Child("enhanced")) {
        user.enhanced = ReadBoolean(*enhanced);
    }
    ReadItems(root.Child("alerts"), "alert", 2, user.notices);
    ReadItems(root.Child("notices"), "notice", 1, user.notices);
    if (const XmlElement* remoteInterval = root.Child("remoteinterval")) {
        user.remoteInterval = ReadInteger(*remoteInterval);
    }
    user.error = root.Child("error") != nullptr;
    if (const XmlElement* email = root.Child("email")) {
        user.email = email->text;
    }
    return user;
}

TNoticesReply Rejection(std::string reason) {
    return {TNoticesReplyKind::Rejected, {}, std::move(reason)};
}

} // namespace

TNoticesReply ReadNoticesReply(const std::string& reply) {
    if (std::string_view(reply).substr(0, kXmlStart.size()) != kXmlStart) {
        return {TNoticesReplyKind::NotXml, {}, {}};
    }
    const std::optional<XmlElement> root = ReadXmlDocument(reply);
    if (!root) {
        return Rejection("the reply is not well-formed XML");
    }
    if (root->name == "disabled") {
        return {TNoticesReplyKind::Disabled, {}, {}};
    }
    if (root->name != "user") {
        return Rejection("the root element " + Quoted(root->name) +
                         " is neither \"user\" nor \"disabled\"");
    }
    try {
        return {TNoticesReplyKind::User, ReadUser(*root), {}};
    } catch (const RejectedReply& rejected) {
        return Rejection(rejected.reason);
    }
}

} // namespace vek
