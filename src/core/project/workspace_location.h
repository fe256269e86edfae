#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/project/project_context.h"

namespace kestrova {

// Where the settings file, MASTER and PROJECTS live.
//   KESTROVA_HOME, when set            that folder
//   beside the program                 when its folder is writable and not an installed copy
//   the user's data folder             $XDG_DATA_HOME/kestrova, default ~/.local/share/kestrova
// A program in a build folder, or copied to a folder of its own, keeps working beside itself;
// an installed one (in /usr/bin, with its data folder beside) keeps its workspace in the home.
enum class WorkspacePlace { KestrovaHome, BesideProgram, UserDataFolder };

struct WorkspaceLocation {
    std::string directory;  // without a trailing separator
    WorkspacePlace place;
};

// The value of an environment variable; nothing when unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;
std::optional<std::string> ProcessEnvironment(const std::string& name);

WorkspaceLocation ChooseWorkspace(const std::string& executableDirectory,
                                  const EnvironmentLookup& environment = ProcessEnvironment);

// One line for --help: "Workspace: /home/u/.local/share/kestrova (the user's data folder)".
std::string WorkspaceDescription(const WorkspaceLocation& location);

// A folder the program may write into: the system grants it and the folder is not made
// read-only for everyone (a folder with no write bit counts as read-only also for root).
bool IsWritableFolder(const std::string& path);

// The data folder of an installed program: <prefix>/share/kestrova for <prefix>/bin; it
// exists only where the program was installed.
std::string InstalledDataDirectory(const std::string& executableDirectory);

// A file shipped read-only with the program (firmware in MASTER, the help file, the updater
// and the flash programmer), `relative` to the workspace: looked up in the workspace first,
// then beside the executable, then in the installed data folder. When none holds it, the
// workspace path, so that a message names the place where it is expected.
std::string FindShippedFile(const ProjectContext& context, const std::string& relative);

}  // namespace kestrova
