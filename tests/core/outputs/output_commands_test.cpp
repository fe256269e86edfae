#include "core/outputs/output_commands.h"

#include "core/outputs/gsd_file.h"
#include "core/project/error.h"
#include "output_fixture.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestrova {
namespace {

using testing::OutputProject;
using testing::ReadText;
using testing::RecordingDialogs;
using testing::WriteText;

void RefuseLimits(const OutputProject& project) {
    project.WritePargen("1", "0");
    project.WriteReceive({OutputProject::Transport("65")});
}

TEST(GsdCommand, AsksWhereToSaveInTheProjectAndWritesTheFile) {
    OutputProject project("layout_example");
    RecordingDialogs dialogs;
    const std::string path = project.directory() + "/gateway.gsd";
    WriteText(path, "older file");
    dialogs.saveAnswers.push_back(path);
    RunGsdCommand(project.context(), dialogs);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialDirectory, project.directory());
    EXPECT_EQ(dialogs.saveRequests[0].filter, "Generic Station Description (*.gsd)|*.gsd");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ReadText(path), ReadText(std::string(KESTROVA_TEST_DATA) + "/outputs/layout_example_packed.gsd"));
}

TEST(GsdCommand, RefusalOrCancelWritesNothing) {
    OutputProject project;
    RefuseLimits(project);
    RecordingDialogs refused;
    refused.saveAnswers.push_back(project.directory() + "/a.gsd");
    RunGsdCommand(project.context(), refused);
    EXPECT_TRUE(refused.saveRequests.empty());
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].kind, MessageKind::Error);

    project.WritePargen("0", "0");
    RecordingDialogs cancelled;
    RunGsdCommand(project.context(), cancelled);
    EXPECT_EQ(cancelled.saveRequests.size(), 1u);
    EXPECT_TRUE(cancelled.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(project.directory() + "/a.gsd"));
}

TEST(GsdCommand, UnwritablePathIsThrown) {
    OutputProject project("layout_example");
    RecordingDialogs dialogs;
    dialogs.saveAnswers.push_back(project.directory() + "/missing/x.gsd");
    EXPECT_THROW(RunGsdCommand(project.context(), dialogs), Error);
}

TEST(UpdateDevice, BuildsAndWritesTheImageThenOpensTheDialog) {
    OutputProject project("worked_example");
    RecordingDialogs dialogs;
    EXPECT_TRUE(PrepareDeviceUpdate(project.context(), dialogs));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ReadText(project.bankPath()).size(), 77u);
}

TEST(UpdateDevice, WithoutProjectNothingIsReadOrWritten) {
    OutputProject project("worked_example");
    ProjectContext none = project.context();
    none.projectDirectory.clear();
    none.DeriveDocumentPaths();
    RecordingDialogs dialogs;
    EXPECT_FALSE(PrepareDeviceUpdate(none, dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(dialogs.messages[0].text, "Project not valid");
    EXPECT_FALSE(std::filesystem::exists(project.bankPath()));
}

TEST(UpdateDevice, RefusedProjectGetsNoImage) {
    OutputProject project;
    RefuseLimits(project);
    RecordingDialogs dialogs;
    EXPECT_FALSE(PrepareDeviceUpdate(project.context(), dialogs));
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(project.bankPath()));
}

TEST(UpdateDevice, FailedBuildLeavesTheEarlierImage) {
    OutputProject project("worked_example");
    RecordingDialogs dialogs;
    ASSERT_TRUE(PrepareDeviceUpdate(project.context(), dialogs));
    const std::string earlier = ReadText(project.bankPath());

    WriteText(project.context().documents.pargen, "<Par_Gen><Can_Type>1</Can_Type></Par_Gen>");
    EXPECT_THROW(PrepareDeviceUpdate(project.context(), dialogs), Error);
    EXPECT_EQ(ReadText(project.bankPath()), earlier);

    project.WritePargen();
    std::filesystem::remove_all(project.directory() + "/bin");
    EXPECT_THROW(PrepareDeviceUpdate(project.context(), dialogs), Error);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace kestrova
