// The XML text reader on any bytes: it either builds a tree or fails with an Error.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/project/error.h"
#include "core/tools/xml_text_reader.h"
#include "core/tools/xml_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const auto table =
            kestrova::TXMLStringReader(std::string(reinterpret_cast<const char*>(data), size)).ParseTable();
        const kestrova::XmlTreeItem tree = kestrova::XmlTreeItems(table);
        (void)kestrova::XmlTreeListing(table);
        (void)kestrova::TXMLNodeTree(table);
        try {
            (void)kestrova::XmlTreeText(tree);
        } catch (const kestrova::Error&) {
        }
    } catch (const kestrova::Error&) {
    }
    return 0;
}
