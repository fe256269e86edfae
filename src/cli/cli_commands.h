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
    int (*run)(const std::vector<std::string>& arguments);  // arguments after the command name
};

const std::vector<Command>& Commands();

}  // namespace kestrova::cli
