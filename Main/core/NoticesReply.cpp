#include "Main/core/NoticesReply.h"

#include "Main/core/LogEscape.h"
#include "classlib/XmlDocument.h"
#include "common/DecimalText.h"
#include "common/SortedStringList.h"

#include <string_view>

namespace vek {
namespace {

constexpr std::string_view kXmlStart = "<?xml version";

// Thrown while reading; the whole reply is rejected with its text.
struct RejectedReply {
    std::string reason;
};

std::string Quoted(std::string_view text) { return "\"" + EscapeControlBytes(text) + "\""; }

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
// names are skipped. The code of an id from 1 to 214748364 is id * 10 + kind; an absent id, "0"
// or a negative one gives the code its text makes.
void ReadItems(const XmlElement* container, std::string_view itemName, char kind,
               TNoticeList& notices) {
    if (container == nullptr) {
        return;
    }
    for (const XmlElement& item : container->children) {
        if (item.name != itemName) {
            continue;
        }
        const std::string codeText = item.Attribute("id") + kind;
        const std::optional<std::int32_t> code = ParseDecimalInt32(codeText);
        if (!code) {
            throw RejectedReply{std::string(itemName) + " code " + Quoted(codeText) +
                                " is not a decimal integer"};
        }
        notices.push_back(
            {item.Attribute("title") + "|" + item.text + "|" + item.Attribute("link"), *code});
    }
}

TNoticesUser ReadUser(const XmlElement& root) {
    TNoticesUser user;
    if (const XmlElement* enhanced = root.Child("enhanced")) {
        user.enhanced = ReadBoolean(*enhanced);
    }
    ReadItems(root.Child("alerts"), "alert", '2', user.notices);
    ReadItems(root.Child("notices"), "notice", '1', user.notices);
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
    TNoticesReply read{TNoticesReplyKind::User, {}, {}, true};
    try {
        read.user = ReadUser(*root);
    } catch (const RejectedReply& rejected) {
        read.kind = TNoticesReplyKind::Rejected;
        read.rejection = rejected.reason;
    }
    return read;
}

} // namespace vek
