#include "core/project/xml_document.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <pugixml.hpp>
#include <string_view>
#include <unordered_set>

#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/text_encoding.h"

namespace kestrova {
namespace {

// Line and column of a byte offset, for parser messages.
std::string Position(const std::string& content, ptrdiff_t offset) {
    int line = 1, column = 1;
    for (ptrdiff_t i = 0; i < offset && i < static_cast<ptrdiff_t>(content.size()); ++i) {
        if (content[static_cast<size_t>(i)] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

[[noreturn]] void NotValid(const std::string& path, const std::string& reason, const std::string& content,
                           ptrdiff_t offset) {
    throw Error("The file " + path + " is not valid XML: " + reason + " (" + Position(content, offset) + ").");
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The encoding named by an XML declaration at the start of the text; empty when none is named.
std::string DeclaredEncoding(const std::string& content) {
    const size_t start = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (content.compare(start, 5, "<?xml") != 0) return {};
    const size_t end = content.find("?>", start);
    if (end == std::string::npos) return {};
    const std::string declaration = content.substr(start, end - start);
    size_t at = declaration.find("encoding");
    if (at == std::string::npos) return {};
    at = declaration.find_first_not_of(" \t\r\n", at + 8);
    if (at == std::string::npos || declaration[at] != '=') return {};
    at = declaration.find_first_not_of(" \t\r\n", at + 1);
    if (at == std::string::npos || (declaration[at] != '"' && declaration[at] != '\'')) return {};
    const size_t close = declaration.find(declaration[at], at + 1);
    if (close == std::string::npos) return {};
    return declaration.substr(at + 1, close - at - 1);
}

// The file's text as UTF-8, by the encoding its declaration names (UTF-8 when it names none).
std::string AsUtf8(const std::string& path, const std::string& content) {
    const std::string encoding = DeclaredEncoding(content);
    const std::string name = Lower(encoding);
    if (name == "iso-8859-1" || name == "iso8859-1" || name == "iso_8859-1" || name == "latin1" || name == "latin-1" ||
        name == "l1")
        return SingleByteToUtf8(content, SingleByteCode::Latin1);
    if (name == "windows-1252" || name == "cp1252") return SingleByteToUtf8(content, SingleByteCode::Windows1252);
    if (!name.empty() && name != "utf-8" && name != "utf8" && name != "us-ascii" && name != "ascii")
        throw Error("The file " + path + " names the encoding '" + EchoedText(encoding) +
                    "', which cannot be read (UTF-8, ISO-8859-1 and Windows-1252 can).");
    if (const size_t bad = FirstInvalidUtf8(content); bad != std::string::npos)
        NotValid(path, "a byte that is not UTF-8", content, static_cast<ptrdiff_t>(bad));
    return content;
}

// Where an element's tag begins: its "<" (the parser gives the offset of its name).
ptrdiff_t TagStart(const pugi::xml_node& element) { return std::max<ptrdiff_t>(0, element.offset_debug() - 1); }

// A document holds one root element with nothing but blanks, comments and processing
// instructions around it, and no element names an attribute twice.
void RequireStrictForm(const std::string& path, const pugi::xml_document& document, const std::string& content) {
    bool rootSeen = false;
    for (const auto& node : document.children()) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            const size_t text = content.find_first_not_of(" \t\r\n", static_cast<size_t>(node.offset_debug()));
            NotValid(path, rootSeen ? "text after the root element" : "text before the root element", content,
                     static_cast<ptrdiff_t>(text));
        }
        if (node.type() != pugi::node_element) continue;
        if (rootSeen) NotValid(path, "a second root element", content, TagStart(node));
        rootSeen = true;
    }
    std::unordered_set<std::string_view> names;
    for (auto node = document.first_child(); node;) {
        if (node.type() == pugi::node_element && node.first_attribute()) {
            names.clear();
            for (const auto& attribute : node.attributes())
                if (!names.insert(attribute.name()).second)
                    NotValid(path, "the attribute '" + EchoedText(attribute.name()) + "' appears twice", content,
                             TagStart(node));
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) node = node.parent();
        if (node) node = node.next_sibling();
    }
}

// A document path derived without a project directory is empty; nothing is written then.
void RequireProjectPath(const std::string& path) {
    if (path.empty()) throw Error("Project not valid");
}

// The file's bytes, refused before reading when larger than a project document may be (and
// while reading, should it grow), and refused when holding a NUL byte: the parser would end the
// document there and hide what follows.
std::string ReadDocumentBytes(const std::string& path, const struct stat& info) {
    if (S_ISREG(info.st_mode) && info.st_size > kMaxProjectDocumentBytes)
        throw Error("The file " + path + " is too large for a project document (" + std::to_string(info.st_size) +
                    " bytes, the limit is 16 MiB).");
    std::string bytes = ReadWholeFile(path, kMaxProjectDocumentBytes);
    if (const size_t nul = bytes.find('\0'); nul != std::string::npos)
        NotValid(path, "a NUL byte at byte offset " + std::to_string(nul), bytes, static_cast<ptrdiff_t>(nul));
    return bytes;
}

// Loads the file; nothing when it does not exist or the path is empty (no project). Throws Error
// when it cannot be read or parsed.
std::optional<pugi::xml_node> Load(const std::string& path, pugi::xml_document& document) {
    if (path.empty()) return std::nullopt;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT) return std::nullopt;
        throw Error("The file " + path + " cannot be read: " + SystemReason(error));
    }
    const std::string content = AsUtf8(path, ReadDocumentBytes(path, info));
    // Parsed as a fragment so that a second root or text beside the root is seen, then refused.
    const auto result = document.load_buffer(content.data(), content.size(), pugi::parse_default | pugi::parse_fragment,
                                             pugi::encoding_utf8);
    if (!result) NotValid(path, result.description(), content, result.offset);
    RequireStrictForm(path, document, content);
    const pugi::xml_node root = document.document_element();
    if (!root) throw Error("The file " + path + " holds no XML element.");
    return root;
}

// The element's text content: every text below it, in document order.
std::string Text(const pugi::xml_node& element) {
    std::string text;
    for (auto node = element.first_child(); node;) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) text += node.value();
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling() && node != element) node = node.parent();
        if (!node || node == element) break;
        node = node.next_sibling();
    }
    return text;
}

// An empty text leaves the element empty ("<Name/>").
void SetText(pugi::xml_node element, const std::string& value) {
    if (!value.empty()) element.text().set(value.c_str());
}

void Escape(std::string& out, const char* text, bool attribute) {
    for (const char* c = text; *c; ++c) {
        switch (*c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += attribute ? "&quot;" : "\""; break;
            case '\n': out += attribute ? "&#10;" : "\n"; break;
            case '\r': out += "&#13;"; break;
            case '\t': out += attribute ? "&#9;" : "\t"; break;
            default: out += *c;
        }
    }
}

// Compact form of the documents: `<row A="1"/>`, no blanks or line breaks between elements.
void SerializeNode(std::string& out, const pugi::xml_node& node) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
        Escape(out, node.value(), false);
        return;
    }
    if (node.type() != pugi::node_element) return;
    out += '<';
    out += node.name();
    for (const auto& attribute : node.attributes()) {
        out += ' ';
        out += attribute.name();
        out += "=\"";
        Escape(out, attribute.value(), true);
        out += '"';
    }
    if (!node.first_child()) {
        out += "/>";
        return;
    }
    out += '>';
    for (const auto& child : node.children()) SerializeNode(out, child);
    out += "</";
    out += node.name();
    out += '>';
}

std::string Serialize(const pugi::xml_document& document) {
    std::string out;
    for (const auto& node : document.children()) SerializeNode(out, node);
    return out;
}

}  // namespace

XmlRow::XmlRow(NamedTexts attributes, std::string where) : attributes_(std::move(attributes)), where_(std::move(where)) {}

const std::string* XmlRow::Find(const std::string& name) const {
    for (const auto& [key, value] : attributes_)
        if (key == name) return &value;
    return nullptr;
}

std::string XmlRow::Required(const std::string& name) const {
    if (const auto* value = Find(name)) return *value;
    throw Error("The attribute '" + EchoedText(name) + "' is missing in " + where_ + ".");
}

std::string XmlRow::Guarded(const std::string& name, const std::string& fallback) const {
    const auto* value = Find(name);
    return value ? *value : fallback;
}

ValueRecord::ValueRecord(NamedTexts elements, std::string path) : elements_(std::move(elements)), path_(std::move(path)) {}

std::optional<std::string> ValueRecord::Find(const std::string& name) const {
    for (const auto& [key, value] : elements_)
        if (key == name) return value;
    return std::nullopt;
}

std::string ValueRecord::Required(const std::string& name) const {
    if (auto value = Find(name)) return *value;
    throw Error("The element '" + EchoedText(name) + "' is missing in " + path_ + ".");
}

std::string ValueRecord::Guarded(const std::string& name, const std::string& fallback) const {
    return Find(name).value_or(fallback);
}

std::optional<RowListDocument> ReadRowList(const std::string& path) {
    pugi::xml_document document;
    const auto root = Load(path, document);
    if (!root) return std::nullopt;
    RowListDocument list;
    list.rootName = root->name();
    int number = 0;
    for (const auto& row : root->children()) {
        if (row.type() != pugi::node_element) continue;
        NamedTexts attributes;
        for (const auto& attribute : row.attributes()) attributes.emplace_back(attribute.name(), attribute.value());
        list.rows.emplace_back(std::move(attributes), "row " + std::to_string(++number) + " of " + path);
    }
    return list;
}

std::optional<ValueRecord> ReadValueRecord(const std::string& path) {
    pugi::xml_document document;
    const auto root = Load(path, document);
    if (!root) return std::nullopt;
    NamedTexts elements;
    for (const auto& child : root->children())
        if (child.type() == pugi::node_element) elements.emplace_back(child.name(), Text(child));
    return ValueRecord(std::move(elements), path);
}

std::optional<std::vector<std::string>> ReadValueList(const std::string& path) {
    pugi::xml_document document;
    const auto root = Load(path, document);
    if (!root) return std::nullopt;
    std::vector<std::string> values;
    for (const auto& child : root->children())
        if (child.type() == pugi::node_element) values.push_back(Text(child));
    return values;
}

std::string RowListText(const std::string& rootName, const std::vector<NamedTexts>& rows) {
    pugi::xml_document document;
    auto root = document.append_child(rootName.c_str());
    for (const auto& cells : rows) {
        auto row = root.append_child("row");
        for (const auto& [name, value] : cells) row.append_attribute(name.c_str()).set_value(value.c_str());
    }
    return Serialize(document);
}

void WriteRowList(const std::string& path, const std::string& rootName, const std::vector<NamedTexts>& rows) {
    RequireProjectPath(path);
    WriteFileReplacing(path, RowListText(rootName, rows));
}

void WriteValueRecord(const std::string& path, const std::string& rootName, const NamedTexts& elements) {
    RequireProjectPath(path);
    pugi::xml_document document;
    auto root = document.append_child(rootName.c_str());
    for (const auto& [name, value] : elements) SetText(root.append_child(name.c_str()), value);
    WriteFileReplacing(path, Serialize(document));
}

void WriteValueList(const std::string& path, const std::string& rootName, const std::string& elementName,
                    const std::vector<std::string>& values) {
    RequireProjectPath(path);
    pugi::xml_document document;
    auto root = document.append_child(rootName.c_str());
    for (const auto& value : values) SetText(root.append_child(elementName.c_str()), value);
    WriteFileReplacing(path, Serialize(document));
}

}  // namespace kestrova
