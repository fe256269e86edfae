// kestrova-cli canopen: the CANopen bridge windows without a display.
#include "cli_commands.h"

namespace kestrova::cli {

std::vector<Command> CanopenCommands() { return {}; }

}  // namespace kestrova::cli
