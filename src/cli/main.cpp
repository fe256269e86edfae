// kestrova-cli: the outputs of a project without the desktop program.
#include "cli_commands.h"

#include "core/project/error.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

using kestrova::cli::Command;
using kestrova::cli::Commands;

void PrintToolHelp(FILE* out) {
    std::fprintf(out, "usage: kestrova-cli COMMAND ARGUMENTS...\n\nCommands:\n");
    for (const auto& command : Commands())
        std::fprintf(out, "  %-7s %-21s %s\n", command.name, command.synopsis, command.summary);
    std::fprintf(out,
                 "\nExit status: 0 done, 1 refused or failed (the message is on stderr), 2 usage.\n"
                 "Run 'kestrova-cli COMMAND --help' for the details of a command.\n");
}

void PrintCommandUsage(FILE* out, const Command& command) {
    std::fprintf(out, "usage: kestrova-cli %s %s\n", command.name, command.synopsis);
}

int UsageError(const Command& command, const std::string& problem) {
    std::fprintf(stderr, "kestrova-cli %s: %s\n", command.name, problem.c_str());
    PrintCommandUsage(stderr, command);
    return kestrova::cli::kUsage;
}

// Checks the arguments against the command's synopsis: its plain words are required, words in
// brackets are options.
int CheckArguments(const Command& command, const std::vector<std::string>& arguments) {
    std::vector<std::string> required, options;
    const std::string synopsis = command.synopsis;
    for (size_t at = 0; at < synopsis.size();) {
        const size_t end = std::min(synopsis.find(' ', at), synopsis.size());
        const std::string word = synopsis.substr(at, end - at);
        if (word.size() > 2 && word.front() == '[') options.push_back(word.substr(1, word.size() - 2));
        else if (!word.empty()) required.push_back(word);
        at = end + 1;
    }
    size_t positional = 0;
    for (const auto& argument : arguments) {
        if (argument.size() > 1 && argument[0] == '-') {
            bool known = false;
            for (const auto& option : options) known = known || option == argument;
            if (!known) return UsageError(command, "unknown option '" + argument + "'");
        } else {
            ++positional;
        }
    }
    if (positional < required.size()) return UsageError(command, "missing " + required[positional]);
    if (positional > required.size()) return UsageError(command, "too many arguments");
    return kestrova::cli::kDone;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        PrintToolHelp(stderr);
        return kestrova::cli::kUsage;
    }
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintToolHelp(stdout);
        return kestrova::cli::kDone;
    }
    const Command* command = nullptr;
    for (const auto& candidate : Commands())
        if (words[0] == candidate.name) command = &candidate;
    if (!command) {
        std::fprintf(stderr, "kestrova-cli: unknown command '%s'\n\n", words[0].c_str());
        PrintToolHelp(stderr);
        return kestrova::cli::kUsage;
    }

    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    for (const auto& argument : arguments)
        if (argument == "--help" || argument == "-h") {
            PrintCommandUsage(stdout, *command);
            std::fprintf(stdout, "\n%s", command->help);
            return kestrova::cli::kDone;
        }
    if (const int status = CheckArguments(*command, arguments); status != kestrova::cli::kDone) return status;

    try {
        return command->run(arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return kestrova::cli::kRefused;
    }
}
