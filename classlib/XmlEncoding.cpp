#include "classlib/XmlEncoding.h"

#include "classlib/CodePageText.h"
#include "common/SortedStringList.h"

#include <optional>

namespace vek {
namespace {

struct NamedCodePage {
    std::string_view name;
    UINT codePage;
};
constexpr NamedCodePage kSingleByteEncodings[] = {
    {"ISO-8859-1", 28591},  {"ISO-8859-2", 28592},  {"ISO-8859-3", 28593},  {"ISO-8859-4", 28594},
    {"ISO-8859-5", 28595},  {"ISO-8859-6", 28596},  {"ISO-8859-7", 28597},  {"ISO-8859-8", 28598},
    {"ISO-8859-9", 28599},  {"ISO-8859-13", 28603}, {"ISO-8859-15", 28605}, {"windows-1250", 1250},
    {"windows-1251", 1251}, {"windows-1252", 1252}, {"windows-1253", 1253}, {"windows-1254", 1254},
    {"windows-1255", 1255}, {"windows-1256", 1256}, {"windows-1257", 1257}, {"windows-1258", 1258},
    {"US-ASCII", 20127},
};

// Encoding names compare without regard to case; 0 for a name not in the table.
UINT SingleByteCodePage(std::string_view name) {
    for (const NamedCodePage& known : kSingleByteEncodings) {
        if (AsciiCompareText(known.name, name) == 0) {
            return known.codePage;
        }
    }
    return 0;
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where the encoding name stands in the declaration, and where the declaration ends.
struct DeclaredEncoding {
    std::size_t nameStart;
    std::size_t nameLength;
    std::size_t declarationEnd;
};

// The encoding pseudo-attribute of an XML declaration at the very start of the document. A
// declaration this does not understand is left to the reader to judge.
std::optional<DeclaredEncoding> FindDeclaredEncoding(std::string_view document) {
    constexpr std::string_view kOpen = "<?xml";
    constexpr std::string_view kAttribute = "encoding";
    if (document.size() <= kOpen.size() || document.substr(0, kOpen.size()) != kOpen ||
        !IsXmlSpace(document[kOpen.size()])) {
        return std::nullopt;
    }
    const std::size_t close = document.find("?>");
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view declaration = document.substr(0, close);
    std::size_t at = kOpen.size();
    while ((at = declaration.find(kAttribute, at)) != std::string_view::npos &&
           !IsXmlSpace(declaration[at - 1])) {
        at += kAttribute.size();
    }
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    at += kAttribute.size();
    while (at < declaration.size() && IsXmlSpace(declaration[at])) {
        ++at;
    }
    if (at >= declaration.size() || declaration[at] != '=') {
        return std::nullopt;
    }
    ++at;
    while (at < declaration.size() && IsXmlSpace(declaration[at])) {
        ++at;
    }
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) {
        return std::nullopt;
    }
    const std::size_t end = declaration.find(declaration[at], at + 1);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return DeclaredEncoding{at + 1, end - at - 1, close + 2};
}

} // namespace

std::string ReadableXmlBytes(std::string_view document) {
    const auto declared = FindDeclaredEncoding(document);
    if (!declared) {
        return std::string(document);
    }
    const UINT codePage =
        SingleByteCodePage(document.substr(declared->nameStart, declared->nameLength));
    if (codePage == 0) {
        return std::string(document);
    }
    const std::string_view content = document.substr(declared->declarationEnd);
    std::string readable(document.substr(0, declared->nameStart));
    readable += "UTF-8";
    readable +=
        document.substr(declared->nameStart + declared->nameLength,
                        declared->declarationEnd - declared->nameStart - declared->nameLength);
    readable += CodePageFromWide(WideFromCodePage(content, codePage), CP_UTF8);
    return readable;
}

} // namespace vek
