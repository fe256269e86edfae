#include "core/tools/xml_tree.h"

#include <set>

#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/project_lock.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

constexpr const char* kInstructionLabel = "ProcessingInstruction";

std::string Trimmed(const std::string& text) {
    const char* white = " \t\r\n";
    const size_t begin = text.find_first_not_of(white);
    if (begin == std::string::npos) return {};
    return text.substr(begin, text.find_last_not_of(white) - begin + 1);
}

struct NameAndValue {
    std::string name, value;
    bool hasValue = false;
};

// "name = value" split at the first "=", both trimmed.
NameAndValue Split(const std::string& text) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos) return {Trimmed(text), {}, false};
    return {Trimmed(text.substr(0, equals)), Trimmed(text.substr(equals + 1)), true};
}

std::string CheckedName(const std::string& name, const char* what) {
    if (!IsXmlName(name)) throw Error("\"" + name + "\" is not a valid " + what + " name");
    return name;
}

void Escape(std::string& out, const std::string& text, bool attribute) {
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
                out += attribute ? "&quot;" : "\"";
                break;
            case '\n':
                out += attribute ? "&#10;" : "\n";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '\t':
                out += attribute ? "&#9;" : "\t";
                break;
            default:
                // Other control characters (from references such as "&#1;") as references again.
                if (static_cast<unsigned char>(c) < 0x20)
                    out += "&#" + std::to_string(static_cast<int>(c)) + ';';
                else
                    out += c;
        }
    }
}

void WriteAttributes(std::string& out, const XmlTreeItem& item, const std::string& owner) {
    std::set<std::string> seen;
    for (const auto& child : item.children) {
        if (child.type != TXMLNodeType::Attribute) continue;
        const NameAndValue attribute = Split(child.text);
        CheckedName(attribute.name, "attribute");
        if (!seen.insert(attribute.name).second)
            throw Error("The attribute \"" + attribute.name + "\" appears twice in \"" + owner + "\"");
        out += ' ' + attribute.name + "=\"";
        Escape(out, attribute.value, true);
        out += '"';
    }
}

void WriteInstruction(std::string& out, const XmlTreeItem& item) {
    NameAndValue instruction = Split(item.text);
    const size_t label = instruction.name.rfind(kInstructionLabel);
    if (label != std::string::npos &&
        label + std::char_traits<char>::length(kInstructionLabel) == instruction.name.size())
        instruction.name = Trimmed(instruction.name.substr(0, label));
    CheckedName(instruction.name, "processing instruction");
    if (instruction.value.find("?>") != std::string::npos)
        throw Error("The processing instruction \"" + instruction.name + "\" cannot hold \"?>\"");
    out += "<?" + instruction.name;
    if (!instruction.value.empty()) out += ' ' + instruction.value;
    out += "?>";
}

void WriteElement(std::string& out, const XmlTreeItem& item) {
    const NameAndValue element = Split(item.text);
    CheckedName(element.name, "element");
    out += '<' + element.name;
    WriteAttributes(out, item, element.name);
    std::string content;
    Escape(content, element.value, false);
    for (const auto& child : item.children) {
        if (child.type == TXMLNodeType::Element) WriteElement(content, child);
        if (child.type == TXMLNodeType::ProcessingInstruction) WriteInstruction(content, child);
    }
    if (content.empty()) {
        out += "/>";
        return;
    }
    out += '>' + content + "</" + element.name + '>';
}

// One listing line: the indent, the text with its line breaks, tabs and backslashes escaped.
void AppendListingLine(std::string& out, size_t depth, const std::string& text) {
    out.append(2 * depth, ' ');
    for (const char c : text) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
    out += '\n';
}

// The declared single-byte code of a tree: its declaration item's "encoding" attribute.
std::optional<SingleByteCode> DeclaredCode(const XmlTreeItem& document, std::string& name) {
    for (const auto& item : document.children) {
        if (item.type == TXMLNodeType::Element) break;  // a declaration after the root is not written
        if (item.type != TXMLNodeType::XmlDeclaration) continue;
        for (const auto& child : item.children) {
            const NameAndValue attribute = Split(child.text);
            if (child.type == TXMLNodeType::Attribute && attribute.name == "encoding") {
                name = attribute.value;
                return SingleByteCodeNamed(attribute.value);
            }
        }
        break;
    }
    return std::nullopt;
}

// The window's budget: its items (600 bytes each with a short text, once expanded, as measured
// with Qt 6.4) may take 64 MB and three times the file's size, which with the table of nodes
// (at most four times) and the item texts (at most three) stays under ten times the file.
constexpr long long kWindowItemBytes = 600;
constexpr long long kWindowAllowanceBytes = 64LL * 1024 * 1024;
constexpr long long kWindowItemsPerFileByte = 3;

}  // namespace

TXMLNodeTable ReadXmlNodeTable(const std::string& path, long long* fileBytes) {
    std::string content = ReadWholeFile(path, kMaxXmlTreeFileBytes);
    if (fileBytes) *fileBytes = static_cast<long long>(content.size());
    TXMLNodeTable table = TXMLStringReader(std::move(content)).ParseTable();
    const size_t slash = path.find_last_of('/');
    table.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    return table;
}

TXMLNodeTable ReadXmlWindowTable(const std::string& path) {
    long long fileBytes = 0;
    TXMLNodeTable table = ReadXmlNodeTable(path, &fileBytes);
    if (auto refusal = XmlWindowRefusal(table, fileBytes)) throw Error(*refusal);
    return table;
}

std::string XmlItemTexts::operator()(TXMLNodeTable::Index node) const {
    const TXMLNodeType type = table_.Type(node);
    if (!code_) return XmlDisplayText(type, table_.Name(node), table_.Value(node), table_.fileName);
    // The file name is a name of this system's, UTF-8 already.
    return XmlDisplayText(type, SingleByteToUtf8(std::string(table_.Name(node)), *code_),
                          SingleByteToUtf8(std::string(table_.Value(node)), *code_), table_.fileName);
}

void ForEachXmlTreeNode(const TXMLNodeTable& table, const std::function<void(TXMLNodeTable::Index, size_t)>& visit) {
    std::vector<TXMLNodeTable::Index> openEnds;  // where the subtree of each open ancestor ends
    for (TXMLNodeTable::Index node = 0; node < table.Size(); ++node) {
        while (!openEnds.empty() && openEnds.back() <= node) openEnds.pop_back();
        visit(node, openEnds.size());
        openEnds.push_back(table.End(node));
    }
}

XmlTreeItem XmlTreeItems(const TXMLNodeTable& table) {
    XmlTreeItem document;
    const XmlItemTexts texts(table);
    std::vector<XmlTreeItem*> parents;
    ForEachXmlTreeNode(table, [&](TXMLNodeTable::Index node, size_t depth) {
        parents.resize(depth);
        XmlTreeItem& item = depth == 0 ? document : parents.back()->children.emplace_back();
        item.text = texts(node);
        item.type = table.Type(node);
        parents.push_back(&item);  // its children are added before any sibling of its own
    });
    return document;
}

void WriteXmlTreeListing(const TXMLNodeTable& table, const std::function<void(std::string_view)>& write) {
    constexpr size_t kPiece = 64 * 1024;
    std::string out;
    out.reserve(2 * kPiece);
    const XmlItemTexts texts(table);
    ForEachXmlTreeNode(table, [&](TXMLNodeTable::Index node, size_t depth) {
        AppendListingLine(out, depth, texts(node));
        if (out.size() >= kPiece) {
            write(out);
            out.clear();
        }
    });
    if (!out.empty()) write(out);
}

std::string XmlTreeListing(const TXMLNodeTable& table) {
    std::string listing;
    WriteXmlTreeListing(table, [&](std::string_view piece) { listing.append(piece); });
    return listing;
}

size_t MaxXmlWindowItems(long long fileBytes) {
    return static_cast<size_t>((kWindowAllowanceBytes + kWindowItemsPerFileByte * std::max(0LL, fileBytes)) /
                               kWindowItemBytes);
}

std::optional<std::string> XmlWindowRefusal(const TXMLNodeTable& table, long long fileBytes) {
    const size_t most = MaxXmlWindowItems(fileBytes);
    if (table.Size() <= most) return std::nullopt;
    return "The file " + table.fileName + " holds " + std::to_string(table.Size()) +
           " nodes, more than the window shows for a file of its size (" + std::to_string(most) +
           "); kestrova-cli xml-tree lists them all.";
}

std::string XmlTreeText(const XmlTreeItem& document) {
    std::string out;
    bool rootWritten = false;
    for (const auto& item : document.children) {
        switch (item.type) {
            case TXMLNodeType::XmlDeclaration:
                if (rootWritten) break;
                out += "<?xml";
                WriteAttributes(out, item, "XMLDeclaration");
                out += "?>";
                break;
            case TXMLNodeType::ProcessingInstruction:
                WriteInstruction(out, item);
                break;
            case TXMLNodeType::Element:
                if (!rootWritten) WriteElement(out, item);  // one root: the first element
                rootWritten = true;
                break;
            case TXMLNodeType::Document:
            case TXMLNodeType::Attribute:
                break;
        }
    }
    if (!rootWritten) throw Error("The tree holds no root element");
    std::string encoding;
    const auto code = DeclaredCode(document, encoding);
    if (!code) return out;
    auto bytes = Utf8ToSingleByte(out, *code);
    if (!bytes) throw Error("The tree holds a character that the encoding it declares (" + encoding + ") cannot hold");
    return *bytes;
}

std::string XmlTreeFileName(const XmlTreeItem& document) {
    const size_t colon = document.text.find(':');
    const std::string name = Trimmed(colon == std::string::npos ? document.text : document.text.substr(colon + 1));
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        throw Error("\"" + name + "\" is not a valid file name");
    return name;
}

std::string WriteXmlTree(const ProjectContext& context, const XmlTreeItem& document) {
    if (context.projectDirectory.empty()) throw Error("Project not valid");
    const std::string text = XmlTreeText(document);
    const std::string path = context.projectDirectory + "/" + XmlTreeFileName(document);
    const ProjectLock lock(context.projectDirectory);
    WriteFileReplacing(path, text);
    return path;
}

}  // namespace kestrova
