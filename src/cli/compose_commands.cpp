// kestrova-cli compose: the S-record firmware composer.
#include "cli_commands.h"

namespace kestrova::cli {

std::vector<Command> ComposeCommands() { return {}; }

}  // namespace kestrova::cli
