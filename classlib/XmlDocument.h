#pragma once
// XML replies read whole into a small tree through the system's XML reader (XmlLite): element
// names, attributes and texts as bytes of the ANSI code page. A document that cannot be read
// whole gives no tree at all.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vek {

// Elements nested deeper than this make the document unreadable.
inline constexpr std::size_t kMaxXmlDepth = 64;

struct XmlElement {
    std::string name;
    // In document order.
    std::vector<std::pair<std::string, std::string>> attributes;
    // The text and CDATA directly inside the element, joined.
    std::string text;
    // In document order.
    std::vector<XmlElement> children;

    // The last direct child of that name, compared without regard to ASCII letter case; null
    // when there is none.
    const XmlElement* Child(std::string_view childName) const;
    // The value of the attribute of exactly that name; empty when there is none.
    std::string Attribute(std::string_view attributeName) const;
};

// The root element of a document given as bytes (UTF-8 unless its declaration names another
// encoding); nothing when the document is not well-formed, is nested too deep or has a DTD.
std::optional<XmlElement> ReadXmlDocument(std::string_view document);

} // namespace vek
