// kestrova-cli xml-tree: the XML text reader's tree.
#include <cstdio>

#include "cli_commands.h"
#include "core/tools/xml_tree.h"

namespace kestrova::cli {
namespace {

int RunXmlTree(const std::vector<std::string>& arguments) {
    // A file that does not parse throws the reader's message; main prints it and exits with 1.
    const std::string listing = XmlTreeListing(ReadXmlTree(arguments.at(0)));
    std::fwrite(listing.data(), 1, listing.size(), stdout);
    return kDone;
}

}  // namespace

std::vector<Command> XmlToolCommands() {
    return {
        {"xml-tree", "FILE", "print the XML text reader's tree, one item a line",
         "Reads FILE with the XML text reader of the XML Reader & Writer window and prints its\n"
         "tree: the document item (\"File: \" and the file name), then every node depth first, one a\n"
         "line, indented by two blanks per level, each as the window shows it (\"Can_Baud = 5\",\n"
         "\"id = x\"). A file that does not parse prints the reader's message and exits with 1.\n",
         RunXmlTree},
    };
}

}  // namespace kestrova::cli
