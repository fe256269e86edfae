#pragma once

#include <string>
#include <vector>

#include "core/project/project_context.h"
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

// The items of a parsed document, depth first in the order of the node tree.
XmlTreeItem XmlTreeItems(const TXMLNode& document);

// Reads the whole file as bytes, parses it and names the document item after the file (no
// directory). Throws Error with the reader's message or the file's read failure.
XmlTreeItem ReadXmlTree(const std::string& path);

// One item a line, two blanks of indent per level.
std::string XmlTreeListing(const XmlTreeItem& document);

// The document the items describe. An item's text is split at its first "=" into a name and a
// value, both trimmed of blanks (an element without "=" has no value, an attribute without
// one an empty value). The root element and one level of children with attributes or text,
// the shape of the project documents, comes out exactly as those are written; other trees
// (declaration, processing instructions, deeper elements, attributes on the root) are written
// whole. Throws Error for what would not be well-formed: a bad name, a repeated attribute,
// "?>" in a processing instruction, no root element.
std::string XmlTreeText(const XmlTreeItem& document);

// The file name the document item names: its text after the ":", trimmed. Throws Error when it
// is empty or not a plain file name.
std::string XmlTreeFileName(const XmlTreeItem& document);

// "Write": the document into the current project directory under the document item's file
// name, through a temporary file, holding the project's lock. Returns the path written; throws
// Error.
std::string WriteXmlTree(const ProjectContext& context, const XmlTreeItem& document);

}  // namespace kestrova
