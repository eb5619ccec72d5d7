#include "classlib/XmlDocument.h"

#include "classlib/CodePageText.h"
#include "classlib/SystemLibrary.h"
#include "classlib/WinHandles.h"
#include "classlib/XmlEncoding.h"
#include "common/SortedStringList.h"

#include <shlwapi.h>
#include <xmllite.h>

#include <compare>

namespace vek {
namespace {

// MinGW has no import library for xmllite.dll: the reader is created through the DLL's export.
using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

std::string Ansi(const WCHAR* text, UINT length) {
    return CodePageFromWide(std::wstring_view(text, length), CP_ACP);
}

std::string QualifiedName(IXmlReader& reader) {
    const WCHAR* name = nullptr;
    UINT length = 0;
    return SUCCEEDED(reader.GetQualifiedName(&name, &length)) ? Ansi(name, length) : std::string();
}

std::string Value(IXmlReader& reader) {
    const WCHAR* value = nullptr;
    UINT length = 0;
    return SUCCEEDED(reader.GetValue(&value, &length)) ? Ansi(value, length) : std::string();
}

// The name and attributes of the element the reader stands on.
bool ReadStartTag(IXmlReader& reader, XmlElement& element) {
    element.name = QualifiedName(reader);
    HRESULT moved = reader.MoveToFirstAttribute();
    for (; moved == S_OK; moved = reader.MoveToNextAttribute()) {
        element.attributes.emplace_back(QualifiedName(reader), Value(reader));
    }
    return SUCCEEDED(moved) && SUCCEEDED(reader.MoveToElement());
}

// Where a node stands in the document.
struct Position {
    UINT line = 0;
    UINT column = 0;
    auto operator<=>(const Position&) const = default;
};

Position NodePosition(IXmlReader& reader) {
    Position position;
    reader.GetLineNumber(&position.line);
    reader.GetLinePosition(&position.column);
    return position;
}

// Builds the tree node by node. XmlLite reports a malformed document as a failing Read() after
// the nodes before the fault, so nothing counts until the end of input is reached cleanly.
class TreeBuilder {
public:
    // Every node stands on at least one byte of the document: a reader that gives more nodes is
    // stuck (Wine's repeats an empty text node forever at text cut off by the end of input).
    explicit TreeBuilder(std::size_t documentSize) : nodesLeft_(documentSize) {}

    bool Add(IXmlReader& reader, XmlNodeType type) {
        if (nodesLeft_-- == 0) {
            return false;
        }
        switch (type) {
        case XmlNodeType_Element:
            return StartElement(reader);
        case XmlNodeType_EndElement:
            return EndElement(reader);
        case XmlNodeType_Text:
        case XmlNodeType_CDATA:
        case XmlNodeType_Whitespace:
            if (!open_.empty()) {
                open_.back().element->text += Value(reader);
            }
            return true;
        default:
            return true;
        }
    }

    // The tree, once the reader has reached the end of input.
    std::optional<XmlElement> Finish() {
        if (!root_ || !open_.empty()) {
            return std::nullopt;
        }
        return std::move(root_);
    }

private:
    struct OpenElement {
        XmlElement* element;
        Position start;
    };

    bool StartElement(IXmlReader& reader) {
        if (open_.size() >= kMaxXmlDepth || (open_.empty() && root_)) {
            return false;
        }
        // A parent's children do not move while it is open: only the newest child is open.
        XmlElement& element =
            open_.empty() ? root_.emplace() : open_.back().element->children.emplace_back();
        const bool empty = reader.IsEmptyElement() != FALSE;
        const Position start = NodePosition(reader);
        if (!ReadStartTag(reader, element)) {
            return false;
        }
        if (!empty) {
            open_.push_back({&element, start});
        }
        return true;
    }

    // An end tag always follows its start tag; Wine's reader reports one at the start tag's
    // place for an element that the end of input left open.
    bool EndElement(IXmlReader& reader) {
        if (open_.empty() || !(open_.back().start < NodePosition(reader))) {
            return false;
        }
        open_.pop_back();
        return true;
    }

    std::optional<XmlElement> root_;
    // The elements open at the reader's position, root first.
    std::vector<OpenElement> open_;
    std::size_t nodesLeft_;
};

std::optional<XmlElement> ReadTree(IXmlReader& reader, std::size_t documentSize) {
    TreeBuilder builder(documentSize);
    XmlNodeType type = XmlNodeType_None;
    HRESULT result;
    while ((result = reader.Read(&type)) == S_OK) {
        if (!builder.Add(reader, type)) {
            return std::nullopt;
        }
    }
    // Text without any element reads to its end without an error, and gives no root.
    return result == S_FALSE ? builder.Finish() : std::nullopt;
}

// Whether the bytes end (or reach a NUL byte) inside the start of an XML declaration or right
// after its "?>". No root element follows then, and on such an input Wine's reader stops the
// process with a failed assertion instead of reporting the error.
bool EndsAtTheDeclaration(std::string_view bytes) {
    constexpr std::string_view kStart = "<?xml";
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.size() <= kStart.size()) {
        return kStart.starts_with(bytes);
    }
    const std::size_t close = bytes.starts_with(kStart) ? bytes.find("?>") : std::string_view::npos;
    return close != std::string_view::npos && close + 2 == bytes.size();
}

} // namespace

const XmlElement* XmlElement::Child(std::string_view childName) const {
    const XmlElement* found = nullptr;
    for (const XmlElement& child : children) {
        if (AsciiCompareText(child.name, childName) == 0) {
            found = &child;
        }
    }
    return found;
}

std::string XmlElement::Attribute(std::string_view attributeName) const {
    for (const auto& [name, value] : attributes) {
        if (name == attributeName) {
            return value;
        }
    }
    return {};
}

std::optional<XmlElement> ReadXmlDocument(std::string_view document) {
    const std::string bytes = ReadableXmlBytes(document);
    if (EndsAtTheDeclaration(bytes)) {
        return std::nullopt;
    }
    const UniqueModule library = LoadSystemLibrary("xmllite.dll");
    const auto create = reinterpret_cast<CreateXmlReaderFn>(reinterpret_cast<void*>(
        library ? ::GetProcAddress(library.get(), "CreateXmlReader") : nullptr));
    // Released before the library is freed.
    ComPtr<IXmlReader> reader;
    if (create == nullptr || FAILED(create(__uuidof(IXmlReader), reader.put(), nullptr))) {
        return std::nullopt;
    }
    const ComPtr<IStream> stream(::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                                     static_cast<UINT>(bytes.size())));
    // Without a DTD no entity can expand and nothing outside the document is fetched.
    if (!stream ||
        FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
        FAILED(reader->SetInput(stream.get()))) {
        return std::nullopt;
    }
    return ReadTree(*reader.get(), bytes.size());
}

} // namespace vek
