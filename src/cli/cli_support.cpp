#include "cli_support.h"

#include <sys/stat.h>

#include <cstdio>

#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/workspace_location.h"

namespace kestrova::cli {

void ConsoleDialogs::ShowMessage(MessageKind, const std::string& text) {
    ++messages;
    std::fprintf(stderr, "%s\n", text.c_str());
}

std::optional<std::string> ConsoleDialogs::ChooseFolder(const std::string&, const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<std::string> ConsoleDialogs::ChooseOpenFile(const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<std::string> ConsoleDialogs::ChooseSaveFile(const std::string&, const std::string&) { return savePath; }

ProjectContext ProjectAt(std::string directory) {
    // An empty argument (an unset shell variable) is no project, never the file system's root.
    if (directory.empty()) throw Error("Project not valid");
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    if (!DirectoryExists(directory)) {
        struct stat info {};
        if (::stat(directory.c_str(), &info) == 0)
            throw Error("The project directory " + directory + " is not a folder.");
        throw Error("The project directory " + directory + " does not exist.");
    }
    const std::string executableDirectory = ExecutableDirectory();
    ProjectContext context = MakeProjectContext(executableDirectory, ChooseWorkspace(executableDirectory).directory);
    context.projectDirectory = directory;
    context.DeriveDocumentPaths();
    return context;
}

namespace {
bool IsOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }
}  // namespace

bool HasFlag(const std::vector<std::string>& arguments, const std::string& option) {
    for (const auto& argument : arguments)
        if (argument == option) return true;
    return false;
}

std::optional<std::string> OptionValue(const std::vector<std::string>& arguments, const std::string& option) {
    // main hands value options over as "--name=VALUE"; the last one given wins
    std::optional<std::string> value;
    const std::string prefix = option + "=";
    for (const auto& argument : arguments)
        if (argument.compare(0, prefix.size(), prefix) == 0) value = argument.substr(prefix.size());
    return value;
}

std::vector<std::string> Positionals(const std::vector<std::string>& arguments) {
    std::vector<std::string> positionals;
    for (const auto& argument : arguments)
        if (!IsOption(argument)) positionals.push_back(argument);
    return positionals;
}

}  // namespace kestrova::cli
