// kestrova-cli xml-tree: the XML text reader's tree.
#include "cli_commands.h"

namespace kestrova::cli {

std::vector<Command> XmlToolCommands() { return {}; }

}  // namespace kestrova::cli
