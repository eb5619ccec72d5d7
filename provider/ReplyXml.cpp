#include "provider/ReplyXml.h"

namespace vek::provider {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::string Element(std::string_view name, std::string_view text) {
    return "<" + std::string(name) + ">" + XmlEscape(text) + "</" + std::string(name) + ">";
}

std::string Items(std::string_view container, std::string_view item,
                  const std::vector<Message>& messages) {
    std::string out = "<" + std::string(container) + ">";
    for (const auto& message : messages) {
        out += "<" + std::string(item) + " id=\"" + std::to_string(message.id) + "\" title=\"" +
               XmlEscape(message.title) + "\" link=\"" + XmlEscape(message.link) + "\">" +
               XmlEscape(message.body) + "</" + std::string(item) + ">";
    }
    return out + "</" + std::string(container) + ">";
}

} // namespace

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            // Control characters other than tab and line ends cannot stand in XML 1.0.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                out += '?';
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string RegistrationXml(const ClientCredentials& credentials) {
    return std::string(kDeclaration) + "<client>" + Element("id", credentials.id) +
           Element("key", credentials.key) + "</client>\n";
}

std::string RefusalXml(std::string_view reason) {
    return std::string(kDeclaration) + Element("error", reason) + "\n";
}

std::string NoticesXml(const AccountValues& account, const std::vector<Message>& alerts,
                       const std::vector<Message>& notices) {
    std::string out = std::string(kDeclaration) + "<user>";
    out += Element("enhanced", account.enhanced ? "true" : "false");
    out += Items("alerts", "alert", alerts);
    out += Items("notices", "notice", notices);
    out += Element("remoteinterval", std::to_string(account.remoteInterval));
    if (account.error)
        out += Element("error", *account.error);
    out += Element("email", account.email);
    return out + "</user>\n";
}

std::string DisabledXml() { return std::string(kDeclaration) + "<disabled/>\n"; }

} // namespace vek::provider
