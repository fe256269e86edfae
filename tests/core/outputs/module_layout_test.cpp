#include "core/outputs/module_layout.h"

#include "core/project/error.h"
#include "output_fixture.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

using testing::OutputProject;
using testing::WriteText;

struct LayoutRow {
    const char* profiModule;
    const char* sendJ1939;
    int32_t inputBytes, outputBytes, inputModules, outputModules, sendBitBytes;
};

class WorkedLayout : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(WorkedLayout, MatchesTheTable) {
    const auto& row = GetParam();
    OutputProject project;
    project.WriteLayoutExample(row.profiModule, row.sendJ1939);
    const ModuleLayout layout = ComputeModuleLayout(project.context());
    EXPECT_EQ(layout.InputBytes, row.inputBytes);
    EXPECT_EQ(layout.OutputBytes, row.outputBytes);
    EXPECT_EQ(layout.InputModules, row.inputModules);
    EXPECT_EQ(layout.OutputModules, row.outputModules);
    EXPECT_EQ(layout.SendBitBytes, row.sendBitBytes);
    EXPECT_EQ(layout.ReceiveFrameLengths, (std::vector<uint8_t>{8, 20, 8}));
}

INSTANTIATE_TEST_SUITE_P(FourOptionPairs, WorkedLayout,
                         ::testing::Values(LayoutRow{"0", "0", 36, 72, 1, 2, 0}, LayoutRow{"0", "1", 38, 74, 1, 2, 2},
                                           LayoutRow{"1", "0", 36, 72, 3, 9, 0}, LayoutRow{"1", "1", 36, 72, 3, 9, 2}));

TEST(ModuleLayout, PackedModulesRoundUpAt64Bytes) {
    OutputProject project;
    project.WritePargen("0", "0");
    project.WriteReceive(OutputProject::NormalRows(8));  // 64 bytes
    EXPECT_EQ(ComputeModuleLayout(project.context()).InputModules, 1);
    project.WriteReceive({OutputProject::Normal(), OutputProject::Transport("57")});  // 65 bytes
    const auto layout = ComputeModuleLayout(project.context());
    EXPECT_EQ(layout.InputBytes, 65);
    EXPECT_EQ(layout.InputModules, 2);
    EXPECT_EQ(layout.OutputModules, 0);
}

TEST(ModuleLayout, TransportFlagInEitherCaseAndMissingLength) {
    OutputProject project;
    project.WritePargen("1", "0");
    project.WriteReceive({OutputProject::Transport("30", "y"),
                          "DataPage=\"0\" PGN=\"1\" SA=\"0\" TP=\"Y\" Delete=\"N\" Mnemonic=\"no length\"",
                          OutputProject::Transport("30", " Y")});
    const auto layout = ComputeModuleLayout(project.context());
    EXPECT_EQ(layout.ReceiveFrameLengths, (std::vector<uint8_t>{30, 0, 8}));
    EXPECT_EQ(layout.InputBytes, 38);
}

TEST(ModuleLayout, TransportLengthKeepsItsLowEightBits) {
    OutputProject project;
    project.WritePargen("1", "0");
    project.WriteReceive({OutputProject::Transport("300")});
    const auto layout = ComputeModuleLayout(project.context());
    EXPECT_EQ(layout.ReceiveFrameLengths, (std::vector<uint8_t>{44}));
    EXPECT_EQ(layout.InputBytes, 300);
}

// The record always describes the documents as they are now: nothing is carried over from
// an earlier project, and a missing pargen.xml means both options off.
TEST(ModuleLayout, MissingDocumentsCountAsEmpty) {
    OutputProject first;
    first.WriteLayoutExample("1", "1");
    ComputeModuleLayout(first.context());

    OutputProject second;
    second.WriteReceive({OutputProject::Normal()});
    const auto layout = ComputeModuleLayout(second.context());
    EXPECT_EQ(layout.PerFrameModules, 0);
    EXPECT_EQ(layout.SendWithProfibus, 0);
    EXPECT_EQ(layout.InputBytes, 8);
    EXPECT_EQ(layout.InputModules, 1);
    EXPECT_EQ(layout.OutputBytes, 0);
    EXPECT_EQ(layout.OutputModules, 0);
    EXPECT_EQ(layout.ReceiveFrameLengths, (std::vector<uint8_t>{8}));
}

TEST(ModuleLayout, OnlyTheValueOneSwitchesAnOptionOn) {
    OutputProject project;
    project.WriteLayoutExample("2", "Y");
    const auto layout = ComputeModuleLayout(project.context());
    EXPECT_EQ(layout.PerFrameModules, 2);
    EXPECT_EQ(layout.SendWithProfibus, 0);
    EXPECT_FALSE(layout.OneModulePerFrame());
    // Packed counts, as the GSD file writes them for such a value.
    EXPECT_EQ(layout.InputModules, 1);
    EXPECT_EQ(layout.OutputModules, 2);
    EXPECT_EQ(layout.SendBitBytes, 0);
}

TEST(ModuleLayout, BrokenOrMissingProject) {
    OutputProject project;
    WriteText(project.context().documents.sendFrame, "<Receive_Frames><row");
    EXPECT_THROW(ComputeModuleLayout(project.context()), Error);

    ProjectContext none = project.context();
    none.projectDirectory.clear();
    none.DeriveDocumentPaths();
    try {
        ComputeModuleLayout(none);
        FAIL() << "a layout without a project";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Project not valid");
    }
}

TEST(ModuleLayout, FlagIsYInEitherCaseAlone) {
    EXPECT_TRUE(FlagSet("Y"));
    EXPECT_TRUE(FlagSet("y"));
    EXPECT_FALSE(FlagSet("N"));
    EXPECT_FALSE(FlagSet(""));
    EXPECT_FALSE(FlagSet(" Y"));
    EXPECT_FALSE(FlagSet("Y "));
    EXPECT_FALSE(FlagSet("YES"));
}

}  // namespace
}  // namespace kestrova
