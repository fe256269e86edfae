#include "core/outputs/output_commands.h"

#include "output_fixture.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestrova::testing {
namespace {

TEST(GsdCommand, AsksWhereToSaveInTheProjectAndReplacesTheFile) {
    OutputProject project("layout_example");
    RecordingDialogs dialogs;
    const std::string path = project.directory() + "/gateway.gsd";
    WriteText(path, "older file");
    dialogs.saveAnswers = {path, project.directory() + "/missing/x.gsd"};
    RunGsdCommand(project.context(), dialogs);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialDirectory, project.directory());
    EXPECT_EQ(dialogs.saveRequests[0].filter, "Generic Station Description (*.gsd)|*.gsd");
    EXPECT_EQ(ReadText(path), ReadText(OutputData("layout_example_packed.gsd")));
    // A path that cannot be written is thrown to the general error handler.
    EXPECT_NE(ErrorText([&] { RunGsdCommand(project.context(), dialogs); }), "");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(OutputCommands, RefusalOrCancelWritesNothing) {
    OutputProject project;
    project.WritePargen("1", "0");
    project.WriteReceive({OutputProject::Transport("65")});
    RecordingDialogs refused;
    refused.saveAnswers = {project.directory() + "/a.gsd"};
    RunGsdCommand(project.context(), refused);
    EXPECT_FALSE(PrepareDeviceUpdate(project.context(), refused));
    EXPECT_TRUE(refused.saveRequests.empty());
    ASSERT_EQ(refused.messages.size(), 2u);
    for (const auto& message : refused.messages) EXPECT_EQ(message.kind, MessageKind::Error) << message.text;
    EXPECT_FALSE(std::filesystem::exists(project.bankPath()));

    project.WritePargen("0", "0");
    RecordingDialogs cancelled;
    RunGsdCommand(project.context(), cancelled);
    EXPECT_EQ(cancelled.saveRequests.size(), 1u);
    EXPECT_TRUE(cancelled.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(project.directory() + "/a.gsd"));
}

TEST(UpdateDevice, WritesTheImageAndKeepsItWhenALaterBuildFails) {
    OutputProject project("worked_example");
    RecordingDialogs dialogs;
    ASSERT_TRUE(PrepareDeviceUpdate(project.context(), dialogs));
    const std::string earlier = ReadText(project.bankPath());
    EXPECT_EQ(earlier, ReadText(OutputData("worked_example.bin")));

    WriteText(project.context().documents.pargen, "<Par_Gen><Can_Type>1</Can_Type></Par_Gen>");  // no Can_Baud
    EXPECT_NE(ErrorText([&] { PrepareDeviceUpdate(project.context(), dialogs); }), "");
    EXPECT_EQ(ReadText(project.bankPath()), earlier);

    project.WritePargen();
    std::filesystem::remove_all(project.directory() + "/bin");
    EXPECT_NE(ErrorText([&] { PrepareDeviceUpdate(project.context(), dialogs); }), "");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(UpdateDevice, WithoutProjectNothingIsReadOrWritten) {
    OutputProject project("worked_example");
    RecordingDialogs dialogs;
    EXPECT_FALSE(PrepareDeviceUpdate(project.withoutProject(), dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(dialogs.messages[0].text, "Project not valid");
    EXPECT_FALSE(std::filesystem::exists(project.bankPath()));
}

}  // namespace
}  // namespace kestrova::testing
