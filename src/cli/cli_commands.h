#pragma once

#include <string>
#include <vector>

namespace kestrova::cli {

// Exit status of every command.
inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;  // refused or failed; the program's own message is on stderr
inline constexpr int kUsage = 2;

struct Command {
    const char* name;
    const char* synopsis;  // the arguments, as in the command list
    const char* summary;   // one line for the command list
    const char* help;      // the text of "COMMAND --help", after its usage line
    // The arguments after the command name, checked against the synopsis; a value option
    // "[--name VALUE]" arrives as one argument "--name=VALUE" (see cli_support.h).
    int (*run)(const std::vector<std::string>& arguments);
};

// Every command, family by family, in the order of the command list.
const std::vector<Command>& Commands();

// The families, one file each.
std::vector<Command> OutputCommands();     // check, image, gsd, map
std::vector<Command> ComposeCommands();    // compose
std::vector<Command> XmlToolCommands();    // xml-tree
std::vector<Command> CanopenCommands();    // canopen
std::vector<Command> ReadBackCommands();    // decode, verify, lint
std::vector<Command> DbcCommands();        // dbc-list, dbc-import
std::vector<Command> ReplayCommands();     // replay
std::vector<Command> ReportCommands();     // report

}  // namespace kestrova::cli
