#include "core/outputs/project_limits.h"

#include "output_fixture.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

namespace kestrova::testing {
namespace {

const std::string kModuleTooLarge =
    "Error!! Is not possible to create a module greater of 64 byte. Please, uncheck the \"Module for every J1939 "
    "Frame\" option";
const std::string kTooManyModules =
    "Error!! Is not possible to create more of 61 modules. Please, uncheck the \"Module for every J1939 Frame\" "
    "option";
const std::string kZeroModule =
    "Error!! Is not possible to create a module of 0 byte. Please, set the N\xC2\xB0 Byte of the Transport Protocol "
    "frame in row ";
const std::string kTooManyBytes = "Error!! The project use more of 244 byte.";
const std::string kTpLength = "Error in row ";

std::string Refusal(const OutputProject& project) { return ProjectLimitsRefusal(project.context()).value_or(""); }

TEST(ProjectLimits, RefusalsAndTheirBoundaries) {
    using O = OutputProject;
    const auto tp = [](const char* count, const char* flag = "Y") { return O::Transport(count, flag); };
    const struct {
        const char* name;
        const char *profiModule, *sendJ1939;
        std::vector<std::string> receive;
        int sendFrames;
        std::string refusal;
    } rows[] = {
        {"per-frame module of 64 bytes", "1", "0", {O::Normal(), tp("64")}, 0, ""},
        {"per-frame module of 65 bytes", "1", "0", {O::Normal(), tp("65")}, 0, kModuleTooLarge},
        {"lower-case y, 65 bytes", "1", "0", {tp("65", "y")}, 0, kModuleTooLarge},
        {"packed modules take any length", "0", "0", {tp("65")}, 0, ""},
        {"per-frame TP without length", "1", "0", {O::Normal(), O::NoLength()}, 0, kZeroModule + "2 between 1 and 64"},
        {"per-frame TP of -3 bytes", "1", "0", {tp("-3")}, 0, kZeroModule + "1 between 1 and 64"},
        {"packed TP without length", "0", "0", {O::NoLength()}, 0, ""},
        {"61 modules: 29 + 30 + 2 bit modules", "1", "1", O::NormalRows(29), 30, ""},
        {"62 modules: 30 + 30 + 2 bit modules", "1", "1", O::NormalRows(30), 30, kTooManyModules},
        {"no module limit without send bits", "1", "0", O::NormalRows(30), 40, ""},
        {"module size before module count", "1", "1", O::NormalRows(40, {tp("65")}), 30, kModuleTooLarge},
        {"244 input bytes: 232 + 8 + 4 bit bytes", "0", "1", O::NormalRows(29, {tp("8")}), 30, ""},
        {"245 input bytes", "0", "1", O::NormalRows(29, {tp("9")}), 30, kTooManyBytes},
        {"245 input bytes, lower-case y", "0", "1", O::NormalRows(29, {tp("9", "y")}), 30, kTooManyBytes},
        {"244 input bytes, lower-case y", "0", "1", O::NormalRows(29, {tp("8", "y")}), 30, ""},
        {"no bit bytes without send frames", "0", "1", O::NormalRows(30, {tp("4")}), 0, ""},
        {"321 input bytes with a send frame", "0", "1", O::NormalRows(40), 1, kTooManyBytes},
        {"no bit bytes without send bits", "0", "0", O::NormalRows(30, {tp("4")}), 30, ""},
        // beyond what the editors write: what the image cannot hold is refused in every mode
        {"320 input bytes without send frames", "0", "1", O::NormalRows(40), 0, kTooManyBytes},
        {"320 input bytes without send bits", "1", "0", O::NormalRows(40), 1, kTooManyBytes},
        {"TP of 245 bytes in packed mode", "0", "0", {tp("245")}, 0, kTpLength + "1!! The Number Bytes must be between 1 and 244"},
        {"TP of -1 byte in packed mode", "0", "0", {O::Normal(), tp("-1")}, 0, kTpLength + "2!! The Number Bytes must be between 1 and 244"},
        {"256 send frames", "0", "0", {}, 256, "Error!! The project holds more than 255 receive or send frames."},
        {"255 send frames", "0", "0", {}, 255, ""},
        {"option 257", "257", "0", {}, 0, "Error!! The value of Profi_Module in pargen.xml must be 0 or 1."},
        {"option text", "0", "on", {}, 0, "Error!! The value of Profi_Send_J1939 in pargen.xml must be 0 or 1."},
    };
    for (const auto& row : rows) {
        OutputProject project;
        project.WritePargen(row.profiModule, row.sendJ1939);
        project.WriteReceive(row.receive);
        project.WriteSend(row.sendFrames);
        EXPECT_EQ(Refusal(project), row.refusal) << row.name;
    }
}

TEST(ProjectLimits, CheckShowsTheRefusalInAnErrorBox) {
    OutputProject project;
    project.WritePargen("0", "1");
    project.WriteReceive(OutputProject::NormalRows(29, {OutputProject::Transport("8")}));
    project.WriteSend(30);
    RecordingDialogs passed;
    EXPECT_TRUE(CheckProjectLimits(project.context(), passed));
    EXPECT_TRUE(passed.messages.empty());

    project.WriteSend(33);  // 5 bit bytes
    RecordingDialogs refused;
    EXPECT_FALSE(CheckProjectLimits(project.context(), refused));
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(refused.messages[0].text, kTooManyBytes);
}

TEST(ProjectLimits, FrameListsAreReadOnlyWithPargen) {
    OutputProject project;
    WriteText(project.context().documents.receiveFrame, "<Receive_Frames><row DataPage=");
    EXPECT_EQ(Refusal(project), "");
    project.WritePargen("1", "1");
    RecordingDialogs dialogs;
    EXPECT_NE(ErrorText([&] { CheckProjectLimits(project.context(), dialogs); }), "");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace kestrova::testing
