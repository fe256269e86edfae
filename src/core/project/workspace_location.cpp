#include "core/project/workspace_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <pwd.h>

#include "core/project/file_system.h"

namespace kestrova {
namespace {

constexpr const char* kWorkspaceFolderName = "kestrova";

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string ParentDirectory(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::optional<std::string> NonEmpty(const EnvironmentLookup& environment, const char* name) {
    auto value = environment(name);
    if (value && value->empty()) value.reset();
    return value;
}

// The home folder of the account, for a process started without HOME.
std::string AccountHome() {
    const passwd* account = ::getpwuid(::geteuid());
    return account && account->pw_dir ? account->pw_dir : "/tmp";
}

}  // namespace

std::optional<std::string> ProcessEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

bool IsWritableFolder(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

std::string InstalledDataDirectory(const std::string& executableDirectory) {
    return ParentDirectory(executableDirectory) + "/" KESTROVA_INSTALL_DATADIR "/" + kWorkspaceFolderName;
}

WorkspaceLocation ChooseWorkspace(const std::string& executableDirectory, const EnvironmentLookup& environment) {
    if (const auto home = NonEmpty(environment, "KESTROVA_HOME"))
        return {WithoutTrailingSeparators(*home), WorkspacePlace::KestrovaHome};
    if (IsWritableFolder(executableDirectory) && !DirectoryExists(InstalledDataDirectory(executableDirectory)))
        return {executableDirectory, WorkspacePlace::BesideProgram};
    std::string data;
    if (const auto xdg = NonEmpty(environment, "XDG_DATA_HOME"); xdg && xdg->front() == '/')
        data = WithoutTrailingSeparators(*xdg);  // relative values are ignored, as the XDG rules say
    else
        data = WithoutTrailingSeparators(NonEmpty(environment, "HOME").value_or(AccountHome())) + "/.local/share";
    return {data + "/" + kWorkspaceFolderName, WorkspacePlace::UserDataFolder};
}

std::string WorkspaceDescription(const WorkspaceLocation& location) {
    const char* why = "";
    switch (location.place) {
        case WorkspacePlace::KestrovaHome:
            why = "KESTROVA_HOME";
            break;
        case WorkspacePlace::BesideProgram:
            why = "beside the program";
            break;
        case WorkspacePlace::UserDataFolder:
            why = "the user's data folder";
            break;
    }
    return "Workspace (settings file, MASTER, PROJECTS): " + location.directory + " (" + why + ")";
}

std::string FindShippedFile(const ProjectContext& context, const std::string& relative) {
    const std::string inWorkspace = context.workspaceDirectory + "/" + relative;
    for (const std::string& folder : {context.workspaceDirectory, context.executableDirectory,
                                      InstalledDataDirectory(context.executableDirectory)}) {
        const std::string candidate = folder + "/" + relative;
        if (FileExists(candidate)) return candidate;
    }
    return inWorkspace;
}

}  // namespace kestrova
