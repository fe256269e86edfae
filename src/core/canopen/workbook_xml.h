#pragma once

#include <cstring>
#include <pugixml.hpp>
#include <string>

#include "core/canopen/spreadsheet_cells.h"
#include "core/project/error.h"

// Reading the XML parts of .xlsx and .ods workbooks with pugixml: names compared without their
// namespace prefix ("table:table-row" and "x:row" as "table-row" and "row"), since writers pick
// their own prefixes.
namespace kestrova::workbook_xml {

inline const char* LocalName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

inline bool Is(const pugi::xml_node& node, const char* localName) {
    return node.type() == pugi::node_element && std::strcmp(LocalName(node.name()), localName) == 0;
}

// The first attribute of that local name; an empty attribute when none.
inline pugi::xml_attribute Attribute(const pugi::xml_node& node, const char* localName) {
    for (pugi::xml_attribute attribute = node.first_attribute(); attribute; attribute = attribute.next_attribute())
        if (std::strcmp(LocalName(attribute.name()), localName) == 0) return attribute;
    return {};
}

// The first child element of that local name.
inline pugi::xml_node Child(const pugi::xml_node& node, const char* localName) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (Is(child, localName)) return child;
    return {};
}

// Parses a part; whitespace between elements is kept, as it may be a cell's text (a blank). No
// document type is read, so no entity is ever expanded.
inline void Parse(pugi::xml_document& document, const std::string& bytes, const std::string& partName) {
    const pugi::xml_parse_result result =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_ws_pcdata);
    if (!result)
        throw Error("the part " + partName + " is not valid XML (" + result.description() + " at byte " +
                    std::to_string(result.offset) + ")");
}

// Counts the memory of the cells a reader materialises against kSheetCellBytesLimit.
class CellBudget {
public:
    void Spend(size_t bytes) {
        used_ += bytes;
        if (used_ > kSheetCellBytesLimit)
            throw Error("the sheet holds more than " + std::to_string(kSheetCellBytesLimit >> 20) +
                        " MiB of cells (repeated rows or cells included)");
    }

private:
    size_t used_ = 0;
};

}  // namespace kestrova::workbook_xml
