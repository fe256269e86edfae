#include "core/outputs/project_limits.h"

#include "core/project/error.h"
#include "output_fixture.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

using testing::OutputProject;

const char* const kModuleTooLarge =
    "Error!! Is not possible to create a module greater of 64 byte. Please, uncheck the \"Module for every J1939 "
    "Frame\" option";
const char* const kTooManyModules =
    "Error!! Is not possible to create more of 61 modules. Please, uncheck the \"Module for every J1939 Frame\" "
    "option";
const char* const kTooManyBytes = "Error!! The project use more of 244 byte.";

std::string Refusal(const OutputProject& project) { return ProjectLimitsRefusal(project.context()).value_or(""); }

TEST(ProjectLimits, NoPargenPassesWithoutReadingTheFrameLists) {
    OutputProject project;
    testing::WriteText(project.context().documents.receiveFrame, "not xml at all");
    EXPECT_EQ(Refusal(project), "");
}

TEST(ProjectLimits, ModuleOf64BytesPerFrame) {
    OutputProject project;
    project.WritePargen("1", "0");
    project.WriteReceive({OutputProject::Normal(), OutputProject::Transport("64")});
    EXPECT_EQ(Refusal(project), "");
    project.WriteReceive({OutputProject::Normal(), OutputProject::Transport("65")});
    EXPECT_EQ(Refusal(project), kModuleTooLarge);
    project.WriteReceive({OutputProject::Transport("65", "y")});
    EXPECT_EQ(Refusal(project), kModuleTooLarge);
    // Packed modules take any frame length.
    project.WritePargen("0", "0");
    EXPECT_EQ(Refusal(project), "");
}

TEST(ProjectLimits, TransportFrameWithoutLengthPerFrameIsRefused) {
    OutputProject project;
    project.WritePargen("1", "0");
    project.WriteReceive({OutputProject::Normal(),
                          "DataPage=\"0\" PGN=\"1\" SA=\"0\" TP=\"Y\" Delete=\"N\" Mnemonic=\"no length\""});
    EXPECT_EQ(Refusal(project),
              "Error!! Is not possible to create a module of 0 byte. Please, set the N\xC2\xB0 Byte of the Transport "
              "Protocol frame in row 2 between 1 and 64");
    project.WriteReceive({OutputProject::Transport("-3")});
    EXPECT_NE(Refusal(project), "");
    project.WritePargen("0", "0");
    EXPECT_EQ(Refusal(project), "");
}

TEST(ProjectLimits, SixtyOneModulesWithSendBits) {
    OutputProject project;
    project.WritePargen("1", "1");
    project.WriteReceive(OutputProject::NormalRows(29));
    project.WriteSend(30);
    EXPECT_EQ(Refusal(project), "");
    project.WriteReceive(OutputProject::NormalRows(30));
    EXPECT_EQ(Refusal(project), kTooManyModules);
    // Without send bits the module count is not limited.
    project.WritePargen("1", "0");
    project.WriteReceive(OutputProject::NormalRows(30));
    project.WriteSend(40);
    EXPECT_EQ(Refusal(project), "");
}

TEST(ProjectLimits, FirstFailureOnly) {
    OutputProject project;
    project.WritePargen("1", "1");
    auto rows = OutputProject::NormalRows(40);
    rows.push_back(OutputProject::Transport("65"));
    project.WriteReceive(rows);
    project.WriteSend(30);
    testing::RecordingDialogs dialogs;
    EXPECT_FALSE(CheckProjectLimits(project.context(), dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].text, kModuleTooLarge);
}

TEST(ProjectLimits, InputDataOf244BytesWithSendBits) {
    OutputProject project;
    project.WritePargen("0", "1");
    project.WriteSend(30);  // 4 bit bytes
    auto rows = OutputProject::NormalRows(29);
    rows.push_back(OutputProject::Transport("8"));
    project.WriteReceive(rows);
    EXPECT_EQ(Refusal(project), "");  // 232 + 8 + 4
    rows.back() = OutputProject::Transport("9");
    project.WriteReceive(rows);
    EXPECT_EQ(Refusal(project), kTooManyBytes);

    // A lower-case y is a transport-protocol frame here as in the image: its 9 bytes count.
    rows.back() = OutputProject::Transport("9", "y");
    project.WriteReceive(rows);
    EXPECT_EQ(Refusal(project), kTooManyBytes);
    rows.back() = OutputProject::Transport("8", "y");
    project.WriteReceive(rows);
    EXPECT_EQ(Refusal(project), "");

    testing::RecordingDialogs dialogs;
    EXPECT_TRUE(CheckProjectLimits(project.context(), dialogs));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(ProjectLimits, NoByteTotalWithoutSendFramesOrSendBits) {
    OutputProject project;
    project.WritePargen("0", "1");
    project.WriteReceive(OutputProject::NormalRows(40));
    EXPECT_EQ(Refusal(project), "");  // no send frame
    project.WriteSend(1);
    EXPECT_EQ(Refusal(project), kTooManyBytes);
    project.WritePargen("0", "0");
    EXPECT_EQ(Refusal(project), "");
}

TEST(ProjectLimits, DocumentThatDoesNotParseStopsTheCheck) {
    OutputProject project;
    project.WritePargen("1", "1");
    testing::WriteText(project.context().documents.receiveFrame, "<Receive_Frames><row DataPage=");
    testing::RecordingDialogs dialogs;
    EXPECT_THROW(CheckProjectLimits(project.context(), dialogs), Error);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace kestrova
