#include "core/project/workspace_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "core/project/file_system.h"
#include "core/project/settings_file.h"
#include "core/project/workspace.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::TempDir;
using testing::WriteText;

// A program folder (prefix/bin) with a chosen environment.
struct Place {
    TempDir prefix;
    std::string bin = prefix / "bin";
    Place() { CreateDirectory(bin); }
};

EnvironmentLookup Environment(std::map<std::string, std::string> values) {
    return [values](const std::string& name) -> std::optional<std::string> {
        const auto found = values.find(name);
        if (found == values.end()) return std::nullopt;
        return found->second;
    };
}

TEST(ChooseWorkspace, WritableFolderThenKestrovaHomeThenTheUserDataFolder) {
    enum Setup { Writable, ReadOnly, Installed };
    const struct {
        Setup setup;
        std::map<std::string, std::string> environment;
        std::string expected;  // "BIN" for the program folder
        WorkspacePlace place;
    } cases[] = {
        {Writable, {{"HOME", "/home/u"}}, "BIN", WorkspacePlace::BesideProgram},
        {Writable, {{"KESTROVA_HOME", "/srv/k/"}}, "/srv/k", WorkspacePlace::KestrovaHome},
        {ReadOnly, {{"HOME", "/home/u"}}, "/home/u/.local/share/kestrova", WorkspacePlace::UserDataFolder},
        {ReadOnly,
         {{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/data/"}},
         "/data/kestrova",
         WorkspacePlace::UserDataFolder},
        {ReadOnly,
         {{"HOME", "/home/u"}, {"XDG_DATA_HOME", "relative"}},
         "/home/u/.local/share/kestrova",
         WorkspacePlace::UserDataFolder},
        {ReadOnly,
         {{"HOME", "/home/u"}, {"KESTROVA_HOME", ""}},
         "/home/u/.local/share/kestrova",
         WorkspacePlace::UserDataFolder},
        {ReadOnly, {{"KESTROVA_HOME", "/k"}, {"XDG_DATA_HOME", "/data"}}, "/k", WorkspacePlace::KestrovaHome},
        {Installed, {{"XDG_DATA_HOME", "/data"}}, "/data/kestrova", WorkspacePlace::UserDataFolder},
    };
    for (const auto& c : cases) {
        Place place;
        if (c.setup == Installed) CreateDirectories(place.prefix / "share/kestrova");
        if (c.setup == ReadOnly) ::chmod(place.bin.c_str(), 0555);  // no write bit: read-only also for root
        const WorkspaceLocation location = ChooseWorkspace(place.bin, Environment(c.environment));
        EXPECT_EQ(location.directory, c.expected == "BIN" ? place.bin : c.expected) << c.expected;
        EXPECT_EQ(location.place, c.place) << c.expected;
        ::chmod(place.bin.c_str(), 0755);
    }
}

TEST(ChooseWorkspace, AWorkspaceInTheUserDataFolderIsMadeAtStart) {
    Place place;
    const std::string workspace = place.prefix / "home/.local/share/kestrova";
    ProjectContext context;
    OpenWorkspace(context, place.bin, workspace);
    EXPECT_TRUE(DirectoryExists(workspace + "/MASTER"));
    EXPECT_TRUE(DirectoryExists(workspace + "/PROJECTS"));
    EXPECT_EQ(context.projectDirectory, workspace + "/PROJECTS");
    EXPECT_EQ(SettingsFilePath(context), workspace + "/" + kSettingsFileName);
    EXPECT_FALSE(DirectoryExists(place.bin + "/MASTER"));  // nothing beside the program
}

TEST(FindShippedFile, WorkspaceThenProgramFolderThenInstalledData) {
    Place place;
    const std::string workspace = place.prefix / "ws";
    const ProjectContext context = MakeProjectContext(place.bin, workspace);
    const std::string relative = "MASTER/sim48120.sim";
    const std::string inData = place.prefix / "share/kestrova/" + relative;
    const std::string besideProgram = place.bin + "/" + relative;
    const std::string inWorkspace = workspace + "/" + relative;

    EXPECT_EQ(FindShippedFile(context, relative), inWorkspace);  // nowhere: where it is expected
    for (const std::string& path : {inData, besideProgram, inWorkspace}) {
        CreateDirectories(path.substr(0, path.rfind('/')));
        WriteText(path, "S0");
        EXPECT_EQ(FindShippedFile(context, relative), path);  // each nearer place wins
    }
}

}  // namespace
}  // namespace kestrova
