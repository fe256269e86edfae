#include "cli_commands.h"

namespace kestrova::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = [] {
        std::vector<Command> all;
        for (auto family :
             {OutputCommands, ComposeCommands, XmlToolCommands, CanopenCommands, ReadBackCommands, DbcCommands, ReplayCommands, ReportCommands}) {
            const std::vector<Command> members = family();
            all.insert(all.end(), members.begin(), members.end());
        }
        return all;
    }();
    return commands;
}

}  // namespace kestrova::cli
