#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/project/dialogs.h"
#include "core/project/project_context.h"

namespace kestrova::cli {

// The windows' message boxes become lines on stderr; the save dialog answers with the path
// given on the command line.
class ConsoleDialogs : public Dialogs {
public:
    int messages = 0;
    std::optional<std::string> savePath;

    void ShowMessage(MessageKind kind, const std::string& text) override;
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&, const std::string&) override;
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override;
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override;
};

// The workspace of the program with the given directory as the open project; throws Error
// "Project not valid" for an empty argument, and Error when the path is not a folder or does
// not exist.
ProjectContext ProjectAt(std::string directory);

// The arguments of a command as main has checked them against its synopsis: options are
// "--name" alone, or "--name VALUE" where the synopsis writes "[--name VALUE]".
bool HasFlag(const std::vector<std::string>& arguments, const std::string& option);
std::optional<std::string> OptionValue(const std::vector<std::string>& arguments, const std::string& option);
// The arguments that are neither options nor option values, in order.
std::vector<std::string> Positionals(const std::vector<std::string>& arguments);

}  // namespace kestrova::cli
