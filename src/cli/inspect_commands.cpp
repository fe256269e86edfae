// kestrova-cli decode, verify, lint: read back and check.
#include "cli_commands.h"

namespace kestrova::cli {

std::vector<Command> InspectCommands() { return {}; }

}  // namespace kestrova::cli
