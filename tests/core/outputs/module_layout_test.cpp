#include "core/outputs/module_layout.h"

#include "output_fixture.h"

#include <gtest/gtest.h>

namespace kestrova::testing {
namespace {

using Lengths = std::vector<uint8_t>;

// Input bytes, output bytes, input modules, output modules, send-bit bytes.
std::vector<int32_t> Counts(const ModuleLayout& layout) {
    return {layout.InputBytes, layout.OutputBytes, layout.InputModules, layout.OutputModules, layout.SendBitBytes};
}

TEST(ModuleLayout, WorkedExampleForTheFourOptionPairs) {
    const struct {
        const char *profiModule, *sendJ1939;
        std::vector<int32_t> counts;
    } rows[] = {{"0", "0", {36, 72, 1, 2, 0}}, {"0", "1", {38, 74, 1, 2, 2}},
                {"1", "0", {36, 72, 3, 9, 0}}, {"1", "1", {36, 72, 3, 9, 2}}};
    for (const auto& row : rows) {
        OutputProject project("layout_example");  // frames of 8, 20 and 8 bytes; nine send frames
        project.WritePargen(row.profiModule, row.sendJ1939);
        const ModuleLayout layout = ComputeModuleLayout(project.context());
        EXPECT_EQ(Counts(layout), row.counts) << row.profiModule << row.sendJ1939;
        EXPECT_EQ(layout.ReceiveFrameLengths, (Lengths{8, 20, 8}));
    }
}

// Only "Y" in either case marks a transport-protocol frame; its length keeps its low 8 bits.
TEST(ModuleLayout, TransportFlagAndLength) {
    for (const char* set : {"Y", "y"}) EXPECT_TRUE(FlagSet(set)) << set;
    for (const char* clear : {"N", "", " Y", "Y ", "YES"}) EXPECT_FALSE(FlagSet(clear)) << clear;
    OutputProject project;
    project.WritePargen("1", "0");
    project.WriteReceive({OutputProject::Transport("30", "y"), OutputProject::NoLength(),
                          OutputProject::Transport("30", " Y"), OutputProject::Transport("300")});
    const auto layout = ComputeModuleLayout(project.context());
    EXPECT_EQ(layout.ReceiveFrameLengths, (Lengths{30, 0, 8, 44}));
    EXPECT_EQ(layout.InputBytes, 338);
}

TEST(ModuleLayout, OptionsAreOnlyForTheValueOne) {
    OutputProject project("layout_example");
    project.WritePargen("2", "Y");
    const auto layout = ComputeModuleLayout(project.context());
    EXPECT_FALSE(layout.OneModulePerFrame());
    EXPECT_FALSE(layout.SendBits());
    EXPECT_EQ(Counts(layout), (std::vector<int32_t>{36, 72, 1, 2, 0}));  // packed, as the GSD file writes it
}

// The record describes the documents as they are now: nothing is carried over from an earlier
// project, and a missing pargen.xml means both options off.
TEST(ModuleLayout, MissingDocumentsCountAsEmpty) {
    OutputProject first("layout_example");
    first.WritePargen("1", "1");
    ComputeModuleLayout(first.context());
    OutputProject second;
    second.WriteReceive({OutputProject::Normal()});
    const auto layout = ComputeModuleLayout(second.context());
    EXPECT_EQ(layout.PerFrameModules + layout.SendWithProfibus, 0);
    EXPECT_EQ(Counts(layout), (std::vector<int32_t>{8, 0, 1, 0, 0}));
    EXPECT_EQ(layout.ReceiveFrameLengths, Lengths{8});
}

TEST(ModuleLayout, BrokenOrMissingProject) {
    OutputProject project;
    WriteText(project.context().documents.sendFrame, "<Receive_Frames><row");
    EXPECT_NE(ErrorText([&] { ComputeModuleLayout(project.context()); }), "");
    EXPECT_EQ(ErrorText([&] { ComputeModuleLayout(project.withoutProject()); }), "Project not valid");
}

}  // namespace
}  // namespace kestrova::testing
