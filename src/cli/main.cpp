// kestrova-cli: the outputs of a project without the desktop program.
#include "cli_commands.h"

#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/workspace_location.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using kestrova::cli::Command;
using kestrova::cli::Commands;

void PrintToolHelp(FILE* out) {
    std::fprintf(out, "usage: kestrova-cli COMMAND ARGUMENTS...\n\nCommands:\n");
    for (const auto& command : Commands())
        std::fprintf(out, "  %s %s\n      %s\n", command.name, command.synopsis, command.summary);
    std::fprintf(out,
                 "\nExit status: 0 done, 1 refused or failed (the message is on stderr), 2 usage.\n"
                 "Run 'kestrova-cli COMMAND --help' for the details of a command.\n"
                 "'kestrova-cli --version' prints the version.\n\n%s\n",
                 kestrova::WorkspaceDescription(kestrova::ChooseWorkspace(kestrova::ExecutableDirectory())).c_str());
}

void PrintCommandUsage(FILE* out, const Command& command) {
    std::fprintf(out, "usage: kestrova-cli %s %s\n", command.name, command.synopsis);
}

void UsageError(const Command& command, const std::string& problem) {
    std::fprintf(stderr, "kestrova-cli %s: %s\n", command.name, problem.c_str());
    PrintCommandUsage(stderr, command);
}

// Checks the arguments against the command's synopsis: its plain words are required, words in
// brackets are options, "[--name VALUE]" an option with a value. Returns the arguments with
// each value option joined to its value ("--name=VALUE"), or nothing after a usage message.
std::optional<std::vector<std::string>> CheckArguments(const Command& command,
                                                       const std::vector<std::string>& arguments) {
    std::vector<std::string> words, required;
    std::map<std::string, bool> options;  // option -> takes a value
    const std::string synopsis = command.synopsis;
    for (size_t at = 0; at < synopsis.size();) {
        const size_t end = std::min(synopsis.find(' ', at), synopsis.size());
        if (end > at) words.push_back(synopsis.substr(at, end - at));
        at = end + 1;
    }
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() > 2 && word.front() == '[' && word.back() == ']') {
            options[word.substr(1, word.size() - 2)] = false;
        } else if (word.size() > 1 && word.front() == '[' && i + 1 < words.size()) {
            options[word.substr(1)] = true;
            ++i;
        } else {
            required.push_back(word);
        }
    }
    std::vector<std::string> checked;
    size_t positional = 0;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() > 1 && argument[0] == '-') {
            const size_t equals = argument.find('=');
            const auto option = options.find(argument.substr(0, equals));
            if (option == options.end() || (equals != std::string::npos && !option->second)) {
                UsageError(command, "unknown option '" + argument + "'");
                return std::nullopt;
            }
            if (option->second && equals == std::string::npos) {
                if (i + 1 == arguments.size()) {
                    UsageError(command, "option '" + argument + "' needs a value");
                    return std::nullopt;
                }
                checked.push_back(argument + "=" + arguments[++i]);
                continue;
            }
        } else {
            ++positional;
        }
        checked.push_back(argument);
    }
    if (positional < required.size()) {
        UsageError(command, "missing " + required[positional]);
        return std::nullopt;
    }
    if (positional > required.size()) {
        UsageError(command, "too many arguments");
        return std::nullopt;
    }
    return checked;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        PrintToolHelp(stderr);
        return kestrova::cli::kUsage;
    }
    if (words[0] == "--version") {
        std::printf("kestrova-cli %s\n", KESTROVA_VERSION);
        return kestrova::cli::kDone;
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
    const auto checked = CheckArguments(*command, arguments);
    if (!checked) return kestrova::cli::kUsage;

    try {
        return command->run(*checked);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return kestrova::cli::kRefused;
    }
}
