#include "core/project/workspace.h"

#include "core/project/file_system.h"
#include "core/project/settings_file.h"

namespace kestrova {
namespace {

// A name with a ".." component reaches outside the folder it is taken in.
bool ClimbsOut(const std::string& name) {
    size_t start = 0;
    while (start <= name.size()) {
        auto end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return true;
        start = end + 1;
    }
    return false;
}

// A typed name that would reach outside the destination: absolute, or with a ".." component.
bool LeavesDestination(const std::string& name) { return name.front() == '/' || ClimbsOut(name); }

}  // namespace

std::string ProjectTitle(const std::string& projectName) { return kTitlePrefix + projectName; }

std::string SettingsFilePath(const ProjectContext& context) {
    return context.workspaceDirectory + "/" + kSettingsFileName;
}

std::string OpenWorkspace(ProjectContext& context, const std::string& executableDirectory,
                          const std::string& workspaceDirectory) {
    context = MakeProjectContext(executableDirectory, workspaceDirectory);
    // a workspace in the user's data folder is made on first use (beside the program it exists)
    if (!DirectoryExists(context.workspaceDirectory)) CreateDirectories(context.workspaceDirectory);
    if (!DirectoryExists(context.masterDirectory)) CreateDirectory(context.masterDirectory);
    if (!DirectoryExists(context.projectsDirectory)) CreateDirectory(context.projectsDirectory);

    context.projectName = ReadSettingsString(SettingsFilePath(context), kLastProjectSection, kProjectNameKey);
    if (!context.projectName.empty() && context.projectName.front() != '/')
        context.projectName = "/" + context.projectName;

    std::string title = kInitialTitle;
    // A remembered name that climbs out of PROJECTS is treated as a vanished project.
    if (!context.projectName.empty() && !ClimbsOut(context.projectName) &&
        DirectoryExists(context.projectsDirectory + context.projectName)) {
        context.projectDirectory = context.projectsDirectory + context.projectName;
        title = ProjectTitle(context.projectName);
    } else {
        context.projectDirectory = context.projectsDirectory;
    }
    context.DeriveDocumentPaths();
    return title;
}

bool CheckProjectOpen(const ProjectContext& context, Dialogs& dialogs) {
    if (!context.projectDirectory.empty()) return true;
    dialogs.ShowMessage(MessageKind::Plain, "Project not valid");
    return false;
}

std::string TitleAfterNewProject(const ProjectContext& context, bool created) {
    return ProjectTitle(created ? context.projectName : std::string());
}

void SaveLastProject(const ProjectContext& context) {
    WriteSettingsString(SettingsFilePath(context), kLastProjectSection, kProjectNameKey, context.projectName);
}

std::string OpenProject(ProjectContext& context, Dialogs& dialogs) {
    std::string preselected;
    if (DirectoryExists(context.projectDirectory))
        preselected = context.projectDirectory;
    else
        context.projectDirectory.clear();

    if (auto chosen = dialogs.ChooseFolder("Select directory of project", context.projectsDirectory, preselected))
        context.projectDirectory = *chosen;

    // The browser's root guarantees the prefix: the name is what follows PROJECTS.
    const size_t rootLength = context.projectsDirectory.size();
    context.projectName =
        context.projectDirectory.size() > rootLength ? context.projectDirectory.substr(rootLength) : std::string();
    context.DeriveDocumentPaths();
    return ProjectTitle(context.projectName);
}

bool CreateNewProject(ProjectContext& context, const std::string& destination, const std::string& typedName,
                      Dialogs& dialogs) {
    bool allowed = true;
    if (destination.empty()) {
        dialogs.ShowMessage(MessageKind::Plain, "directory destination not valid");
        allowed = false;
    }
    if (typedName.empty() || LeavesDestination(typedName)) {
        dialogs.ShowMessage(MessageKind::Plain, "Name project not valid");
        allowed = false;
    }
    if (!allowed) return false;

    const std::string directory = destination + "/" + typedName;
    if (DirectoryExists(directory)) {
        dialogs.ShowMessage(MessageKind::Plain, "Name project not valid because directory already exists");
        return false;
    }
    if (const int error = CreateDirectory(directory); error != 0) {
        dialogs.ShowMessage(MessageKind::Plain,
                            "The project directory " + directory + " cannot be created: " + SystemReason(error));
        return false;
    }
    CreateDirectories(directory + "/bin");  // a missing bin is reported when bank.bin is written

    context.projectName = typedName;
    context.projectDirectory = directory;
    context.DeriveDocumentPaths();
    return true;
}

}  // namespace kestrova
