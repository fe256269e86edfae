#include "core/project/workspace.h"

#include "core/project/file_system.h"
#include "core/project/settings_file.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

using testing::RecordingDialogs;
using testing::TempDir;

class Workspace : public ::testing::Test {
protected:
    void RememberProject(const std::string& name) {
        WriteSettingsString(exe / kSettingsFileName, "lastproj", "projectname", name);
    }
    std::string Projects() const { return exe / "PROJECTS"; }

    TempDir exe;
    ProjectContext context;
    RecordingDialogs dialogs;
};

TEST_F(Workspace, FirstStartCreatesFoldersAndWorksInProjects) {
    EXPECT_EQ(OpenWorkspace(context, exe.path()), kInitialTitle);
    EXPECT_TRUE(DirectoryExists(exe / "MASTER"));
    EXPECT_TRUE(DirectoryExists(Projects()));
    EXPECT_EQ(context.projectName, "");
    EXPECT_EQ(context.projectDirectory, Projects());
    EXPECT_EQ(context.documents.pargen, Projects() + "/pargen.xml");
    EXPECT_EQ(context.documents.sendInfo, Projects() + "/Send_Info.xml");
}

TEST_F(Workspace, DocumentPathsFollowTheProjectDirectory) {
    context.projectDirectory = "/p";
    context.DeriveDocumentPaths();
    const DocumentPaths& d = context.documents;
    EXPECT_EQ((std::vector<std::string>{d.pargen, d.receiveFrame, d.receiveInfo, d.emcyDef, d.emcyWord, d.timerDef,
                                        d.sdoPdo, d.sendFrame, d.sendInfo}),
              (std::vector<std::string>{"/p/pargen.xml", "/p/Receive_Frame.xml", "/p/Receive_Info.xml",
                                        "/p/emcydef.xml", "/p/emcyword.xml", "/p/TimerDef.xml", "/p/sdopdo.xml",
                                        "/p/Send_Frame.xml", "/p/Send_Info.xml"}));
    EXPECT_EQ(context.ProjectFilePath("bin/bank.bin"), "/p/bin/bank.bin");
    // without a project directory no path is built on the file system's root
    context.projectDirectory.clear();
    context.DeriveDocumentPaths();
    EXPECT_EQ((std::vector<std::string>{d.pargen, d.receiveFrame, d.receiveInfo, d.emcyDef, d.emcyWord, d.timerDef,
                                        d.sdoPdo, d.sendFrame, d.sendInfo, context.ProjectFilePath("sdo.xml")}),
              std::vector<std::string>(10));
}

TEST_F(Workspace, ReopensRememberedProjectAddingTheLeadingSeparator) {
    CreateDirectories(exe / "PROJECTS/Demo");
    RememberProject("Demo");
    EXPECT_EQ(OpenWorkspace(context, exe.path()), std::string(kTitlePrefix) + "/Demo");
    EXPECT_EQ(context.projectName, "/Demo");
    EXPECT_EQ(context.projectDirectory, Projects() + "/Demo");
    SaveLastProject(context);
    EXPECT_EQ(ReadSettingsString(exe / kSettingsFileName, "lastproj", "projectname"), "/Demo");
}

TEST_F(Workspace, VanishedProjectFallsBackToProjectsAndKeepsTheName) {
    RememberProject("/Gone");
    EXPECT_EQ(OpenWorkspace(context, exe.path()), kInitialTitle);
    EXPECT_EQ(context.projectDirectory, Projects());
    EXPECT_EQ(context.projectName, "/Gone");
    SaveLastProject(context);
    EXPECT_EQ(ReadSettingsString(exe / kSettingsFileName, "lastproj", "projectname"), "/Gone");
}

TEST_F(Workspace, RememberedNameClimbingOutOfProjectsIsNotOpened) {
    CreateDirectories(exe / "Elsewhere");
    RememberProject("../Elsewhere");
    EXPECT_EQ(OpenWorkspace(context, exe.path()), kInitialTitle);
    EXPECT_EQ(context.projectDirectory, Projects());
    EXPECT_EQ(context.projectName, "/../Elsewhere");
}

TEST_F(Workspace, OpenProjectNamesTheFolderBelowProjects) {
    OpenWorkspace(context, exe.path());
    CreateDirectories(exe / "PROJECTS/A/B");
    dialogs.folderAnswers = {Projects() + "/A/B"};
    EXPECT_EQ(OpenProject(context, dialogs), std::string(kTitlePrefix) + "/A/B");
    EXPECT_EQ(context.projectName, "/A/B");
    EXPECT_EQ(context.documents.pargen, Projects() + "/A/B/pargen.xml");
    ASSERT_EQ(dialogs.folderRequests.size(), 1u);
    EXPECT_EQ(dialogs.folderRequests[0].caption, "Select directory of project");
    EXPECT_EQ(dialogs.folderRequests[0].root, Projects());
    EXPECT_EQ(dialogs.folderRequests[0].preselected, Projects());

    dialogs.folderAnswers = {Projects()};
    EXPECT_EQ(OpenProject(context, dialogs), std::string(kTitlePrefix));
    EXPECT_EQ(context.projectName, "");
    EXPECT_EQ(context.documents.pargen, Projects() + "/pargen.xml");
}

TEST_F(Workspace, CancelledOpenKeepsTheProjectAndRebuildsItsName) {
    OpenWorkspace(context, exe.path());
    ASSERT_TRUE(CreateNewProject(context, Projects(), "Demo", dialogs));
    EXPECT_EQ(context.projectName, "Demo");
    EXPECT_EQ(OpenProject(context, dialogs), std::string(kTitlePrefix) + "/Demo");
    EXPECT_EQ(dialogs.folderRequests[0].preselected, Projects() + "/Demo");
    EXPECT_EQ(context.projectDirectory, Projects() + "/Demo");
}

TEST_F(Workspace, CancelledOpenOfAVanishedProjectLeavesNoProject) {
    OpenWorkspace(context, exe.path());
    context.projectDirectory = Projects() + "/Gone";
    EXPECT_EQ(OpenProject(context, dialogs), std::string(kTitlePrefix));
    EXPECT_EQ(dialogs.folderRequests[0].preselected, "");
    EXPECT_EQ(context.projectDirectory, "");
    EXPECT_EQ(context.projectName, "");
    EXPECT_EQ(context.documents.pargen, "");
}

TEST_F(Workspace, NewProjectCreatesFolderAndBinAndBecomesCurrent) {
    OpenWorkspace(context, exe.path());
    ASSERT_TRUE(CreateNewProject(context, Projects(), "Demo", dialogs));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(DirectoryExists(Projects() + "/Demo/bin"));
    EXPECT_EQ(context.projectName, "Demo");
    EXPECT_EQ(context.projectDirectory, Projects() + "/Demo");
    EXPECT_EQ(context.documents.receiveFrame, Projects() + "/Demo/Receive_Frame.xml");
}

TEST_F(Workspace, NewProjectRefusalsLeaveTheProjectUnchanged) {
    OpenWorkspace(context, exe.path());
    const ProjectContext before = context;
    CreateDirectories(Projects() + "/Demo");

    EXPECT_FALSE(CreateNewProject(context, "", "", dialogs));
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"directory destination not valid", "Name project not valid"}));

    dialogs.messages.clear();
    EXPECT_FALSE(CreateNewProject(context, Projects(), "Demo", dialogs));
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Name project not valid because directory already exists"}));
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(context.projectDirectory, before.projectDirectory);
    EXPECT_EQ(context.projectName, before.projectName);
}

TEST_F(Workspace, NewProjectNameMayNotLeaveProjects) {
    OpenWorkspace(context, exe.path());
    for (const char* name : {"..", "../outside", "A/../../x", "/tmp/abs"}) {
        dialogs.messages.clear();
        EXPECT_FALSE(CreateNewProject(context, Projects(), name, dialogs)) << name;
        EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Name project not valid"})) << name;
    }
    EXPECT_FALSE(DirectoryExists(exe / "outside"));
    EXPECT_EQ(context.projectDirectory, Projects());
}

TEST_F(Workspace, NestedNameNeedsItsParentFolder) {
    OpenWorkspace(context, exe.path());
    CreateDirectories(Projects() + "/Customer");
    ASSERT_TRUE(CreateNewProject(context, Projects(), "Customer/Line1", dialogs));
    EXPECT_TRUE(DirectoryExists(Projects() + "/Customer/Line1/bin"));
    EXPECT_EQ(context.projectName, "Customer/Line1");

    EXPECT_FALSE(CreateNewProject(context, Projects(), "Missing/Line1", dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "The project directory " + Projects() +
                                            "/Missing/Line1 cannot be created: No such file or directory");
    EXPECT_EQ(context.projectName, "Customer/Line1");
}

TEST_F(Workspace, TitleIsPrefixAndNameWithoutBlank) {
    EXPECT_EQ(ProjectTitle("Demo"), "Quorvane - Kestrova CQ48120 - J1939 / PROFIBUS s :Demo");
    EXPECT_EQ(ProjectTitle(""), "Quorvane - Kestrova CQ48120 - J1939 / PROFIBUS s :");
}

}  // namespace
}  // namespace kestrova
