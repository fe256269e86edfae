// kestrova-cli dbc-list, dbc-import: J1939 frames from a DBC file.
#include "cli_commands.h"

namespace kestrova::cli {

std::vector<Command> DbcCommands() { return {}; }

}  // namespace kestrova::cli
