// kestrova-cli xml-tree: the XML text reader's tree.
#include <cstdio>

#include "cli_commands.h"
#include "core/tools/xml_tree.h"

namespace kestrova::cli {
namespace {

int RunXmlTree(const std::vector<std::string>& arguments) {
    // A file that does not parse throws the reader's message; main prints it and exits with 1.
    // The listing goes out in pieces as it is made, never held whole.
    const TXMLNodeTable table = ReadXmlNodeTable(arguments.at(0));
    WriteXmlTreeListing(table, [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); });
    return kDone;
}

}  // namespace

std::vector<Command> XmlToolCommands() {
    return {
        {"xml-tree", "FILE", "print the XML text reader's tree, one item a line",
         "Reads FILE with the XML text reader of the XML Reader & Writer window and prints its\n"
         "tree: the document item (\"File: \" and the file name), then every node depth first, one a\n"
         "line, indented by two blanks per level, each as the window shows it (\"Can_Baud = 5\",\n"
         "\"id = x\"). A line break, carriage return, tab or backslash inside a text is written\n"
         "\\n, \\r, \\t or \\\\, so every item stays on its line. A file that declares ISO-8859-1 or\n"
         "Windows-1252 is listed in UTF-8; a UTF-8 byte-order mark is skipped. A file that does not\n"
         "parse prints the reader's message and exits with 1.\n",
         RunXmlTree},
    };
}

}  // namespace kestrova::cli
