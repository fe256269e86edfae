#pragma once

#include "core/project/dialogs.h"
#include "core/project/project_context.h"

#include <string>

namespace kestrova {

// The main window's title before it names a project, and the prefix it puts before a name.
inline constexpr const char* kInitialTitle = "Quorvane - Kestrova CQ48120 - J1939 / PROFIBUS s";
inline constexpr const char* kTitlePrefix = "Quorvane - Kestrova CQ48120 - J1939 / PROFIBUS s :";

// The prefix followed directly by the name (which may be empty).
std::string ProjectTitle(const std::string& projectName);

std::string SettingsFilePath(const ProjectContext& context);

// Start-up: the workspace folder (by default the executable directory), MASTER and PROJECTS
// are created when missing (failures are ignored), then the
// project named in the settings file is reopened when its directory exists; otherwise the
// project directory is PROJECTS itself and the name is kept for the settings file all the
// same. Returns the title the main window shows.
std::string OpenWorkspace(ProjectContext& context, const std::string& executableDirectory,
                          const std::string& workspaceDirectory = {});

// The step dispatch's project check: "Project not valid" when no project directory is set.
bool CheckProjectOpen(const ProjectContext& context, Dialogs& dialogs);

// The title after the New-project dialog: the new project's name, or the prefix alone on Cancel.
std::string TitleAfterNewProject(const ProjectContext& context, bool created);

// Close: records the project name in the settings file. Throws Error "Unable to write to <path>".
void SaveLastProject(const ProjectContext& context);

// "Open project": folder browser rooted at PROJECTS, preselecting the current project when it
// exists (otherwise the project directory is cleared first). Cancel keeps the directory.
// Either way the name and the document paths are rebuilt. Returns the new title.
std::string OpenProject(ProjectContext& context, Dialogs& dialogs);

// The "OK" of the New-project dialog: checks the typed name, creates the project directory
// and its bin folder below `destination` and makes it current. Messages go to `dialogs`.
// Returns whether the dialog may close.
bool CreateNewProject(ProjectContext& context, const std::string& destination, const std::string& typedName,
                      Dialogs& dialogs);

}  // namespace kestrova
