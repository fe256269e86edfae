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

void AddItems(XmlTreeItem& item, const TXMLNode& node) {
    item.text = node.DisplayText();
    item.type = node.nodeType;
    item.children.resize(node.ChildCount());
    for (size_t i = 0; i < node.ChildCount(); ++i) AddItems(item.children[i], node.Child(i));
}

void AddLines(std::string& out, const XmlTreeItem& item, size_t depth) {
    out.append(2 * depth, ' ');
    out += item.text;
    out += '\n';
    for (const auto& child : item.children) AddLines(out, child, depth + 1);
}

}  // namespace

XmlTreeItem XmlTreeItems(const TXMLNode& document) {
    XmlTreeItem item;
    AddItems(item, document);
    return item;
}

XmlTreeItem ReadXmlTree(const std::string& path) {
    const auto document = TXMLStringReader(ReadWholeFile(path, kMaxDocumentBytes)).Parse();
    const size_t slash = path.find_last_of('/');
    document->SetFileName(slash == std::string::npos ? path : path.substr(slash + 1));
    return XmlTreeItems(*document);
}

std::string XmlTreeListing(const XmlTreeItem& document) {
    std::string out;
    AddLines(out, document, 0);
    return out;
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
    return out;
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
