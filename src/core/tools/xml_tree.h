#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/project/project_context.h"
#include "core/project/text_encoding.h"
#include "core/tools/xml_text_reader.h"

namespace kestrova {

// The tree of the XML reader and writer window: one item per node, its text the node's
// DisplayText and its type the node's type. Everything the window writes comes from here.
struct XmlTreeItem {
    std::string text;
    TXMLNodeType type = TXMLNodeType::Document;
    std::vector<XmlTreeItem> children;
};

// Image and selected image of an item in the window's image list, by node type.
inline int XmlItemImage(TXMLNodeType type) { return 2 * static_cast<int>(type); }
inline int XmlItemSelectedImage(TXMLNodeType type) { return 2 * static_cast<int>(type) + 1; }

// The largest file the XML reader and writer window and `xml-tree` read.
inline constexpr long long kMaxXmlTreeFileBytes = 256LL * 1024 * 1024;

// Reads the whole file as bytes, parses it and names the document after the file (no
// directory). Throws Error with the reader's message or the file's read failure.
// The file's size goes to `fileBytes` when given.
TXMLNodeTable ReadXmlNodeTable(const std::string& path, long long* fileBytes = nullptr);

// The texts of the items as shown: a document that declares ISO-8859-1 or Windows-1252 has its
// names and values converted to UTF-8 (the nodes keep the bytes read); other documents are
// shown as read.
class XmlItemTexts {
public:
    explicit XmlItemTexts(const TXMLNodeTable& table)
        : table_(table), code_(SingleByteCodeNamed(table.DeclaredEncoding())) {}
    std::string operator()(TXMLNodeTable::Index node) const;

private:
    const TXMLNodeTable& table_;
    std::optional<SingleByteCode> code_;
};

// Every node in tree order (document first) with its depth below the document.
void ForEachXmlTreeNode(const TXMLNodeTable& table, const std::function<void(TXMLNodeTable::Index, size_t)>& visit);

// The items of a parsed document, depth first in the order of the node tree.
XmlTreeItem XmlTreeItems(const TXMLNodeTable& table);

// One item a line, two blanks of indent per level; a line break, a carriage return, a tab and a
// backslash inside a text are written "\n", "\r", "\t" and "\\". Handed out in pieces of
// some kilobytes, so that a long listing is never held whole.
void WriteXmlTreeListing(const TXMLNodeTable& table, const std::function<void(std::string_view)>& write);
std::string XmlTreeListing(const TXMLNodeTable& table);

// How many items the window builds for a file of that size: its items cost far more than the
// nodes, so a file of many tiny nodes is refused rather than shown (xml-tree lists it). Beyond
// 64 MB for the items, the window's tree stays under 10 times the file's size.
size_t MaxXmlWindowItems(long long fileBytes);
// The refusal when a table holds more nodes than that; nothing when it can be shown.
std::optional<std::string> XmlWindowRefusal(const TXMLNodeTable& table, long long fileBytes);
// What the window opens: the file's table, refused with that Error when it holds too many nodes.
TXMLNodeTable ReadXmlWindowTable(const std::string& path);

// The document the items describe. An item's text is split at its first "=" into a name and a
// value, both trimmed of blanks (an element without "=" has no value, an attribute without
// one an empty value). The root element and one level of children with attributes or text,
// the shape of the project documents, comes out exactly as those are written; other trees
// (declaration, processing instructions, deeper elements, attributes on the root) are written
// whole. Throws Error for what would not be well-formed: a bad name, a repeated attribute,
// "?>" in a processing instruction, no root element. A tree whose declaration names ISO-8859-1 or
// Windows-1252 is written in that code (the items are UTF-8), so an unchanged tree gives back
// the bytes read; a text that code cannot hold is refused.
std::string XmlTreeText(const XmlTreeItem& document);

// The file name the document item names: its text after the ":", trimmed. Throws Error when it
// is empty or not a plain file name.
std::string XmlTreeFileName(const XmlTreeItem& document);

// "Write": the document into the current project directory under the document item's file
// name, through a temporary file, holding the project's lock. Returns the path written; throws
// Error.
std::string WriteXmlTree(const ProjectContext& context, const XmlTreeItem& document);

}  // namespace kestrova
