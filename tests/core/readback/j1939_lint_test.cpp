#include "core/readback/j1939_lint.h"

#include <gtest/gtest.h>

#include "../outputs/output_fixture.h"

namespace kestrova::testing {
namespace {

using Lines = std::vector<std::string>;

Lines Lint(const ProjectContext& context) {
    Lines lines;
    for (const auto& warning : LintProject(context)) lines.push_back(warning.Text());
    return lines;
}

TEST(J1939Lint, RuleBoundaries) {
    EXPECT_FALSE(ReceiveFromReservedAddress(253));
    EXPECT_TRUE(ReceiveFromReservedAddress(255));
    // The run of the message the frame takes must reach past its first 8 bytes.
    EXPECT_TRUE(ShortTransportFrame(1, 8));
    EXPECT_FALSE(ShortTransportFrame(1, 9));
    EXPECT_FALSE(ShortTransportFrame(9, 1));
    EXPECT_FALSE(TimerNotDefined(3, 3));
    EXPECT_EQ(TimerNotDefined(1, 0).value_or(""), "sent on timer T1, but TimerDef.xml defines no timer");
    // An empty source address (a transport frame) is an identity of its own.
    const std::vector<FrameIdentity> frames{
        {0, 0xFEF1, 0},      {1, 0xFEF1, 0}, {0, 0xFEF1, std::nullopt}, {0, 0xFEF1, 0}, {0, 0xFEF1, std::nullopt},
        {std::nullopt, 1, 0}};
    EXPECT_EQ(RepeatedIdentities(frames), (std::vector<std::pair<size_t, size_t>>{{3, 0}, {4, 2}}));
}

TEST(J1939Lint, EachRuleFiresOnceNamingDocumentAndRow) {
    OutputProject project;
    project.WriteReceive({
        // PDU1 with its destination address (5) in the low byte: a frame as the gateway takes it
        "DataPage=\"0\" PGN=\"0xEA05\" SA=\"0\" TP=\"N\" Delete=\"N\" Mnemonic=\"\"",
        "DataPage=\"0\" PGN=\"0xFEF1\" SA=\"254\" TP=\"N\" Delete=\"N\" Mnemonic=\"\"",
        "DataPage=\"0\" PGN=\"0xFECA\" SA=\"3\" TP=\"Y\" TP_Start=\"1\" TP_NByte=\"5\" Delete=\"N\" Mnemonic=\"\"",
        "DataPage=\"0\" PGN=\"65265\" SA=\"254\" TP=\"N\" Delete=\"N\" Mnemonic=\"\"",
    });
    WriteText(project.context().documents.sendFrame,
              "<Receive_Frames><row Priority=\"6\" DataPage=\"0\" PGN=\"0xFF00\" SA=\"128\" TT=\"3\" Mnemonic=\"\"/>"
              "<row Priority=\"6\" DataPage=\"0\" PGN=\"0xFF00\" SA=\"128\" TT=\"0\" Mnemonic=\"\"/></Receive_Frames>");
    project.WriteTimers({"100", "200"});
    WriteText(project.context().documents.sendInfo, "<Send_Frames_Info><row B1=\"255\"/></Send_Frames_Info>");
    WriteText(project.context().documents.receiveInfo, "<Receive_Frames_Info/>");
    EXPECT_EQ(Lint(project.context()),
              (Lines{
                  "Receive_Frame.xml row 2: source address 254 is the null address, which no node sends its data from",
                  "Receive_Frame.xml row 3: a transport-protocol frame taking bytes 1 to 5 of its message: a message "
                  "of up to 8 bytes travels in a single frame, never with the transport protocol",
                  "Receive_Frame.xml row 4: source address 254 is the null address, which no node sends its data from",
                  "Receive_Frame.xml row 4: the same data page, PGN and source address as row 2 (data page 0, PGN "
                  "0xFEF1, source address 254)",
                  "Send_Frame.xml row 1: sent on timer T3, but TimerDef.xml defines 2 timers",
                  "Send_Frame.xml row 2: the same data page, PGN and source address as row 1 (data page 0, PGN "
                  "0xFF00, source address 128)",
                  "Receive_Info.xml: 0 rows for the 4 frames of Receive_Frame.xml: the byte mapping no longer follows "
                  "the frame list",
                  "Send_Info.xml: 1 row for the 2 frames of Send_Frame.xml: the byte mapping no longer follows the "
                  "frame list",
              }));
}

TEST(J1939Lint, SampleProjectAndMissingDocumentsAreSilent) {
    ProjectContext sample = MakeProjectContext("/nonexistent");
    sample.projectDirectory = std::string(KESTROVA_TEST_DATA) + "/../../examples/sample_project";
    sample.DeriveDocumentPaths();
    EXPECT_EQ(Lint(sample), Lines{});
    OutputProject empty;
    EXPECT_EQ(Lint(empty.context()), Lines{});
    EXPECT_EQ(ErrorText([&] { LintProject(empty.withoutProject()); }), "Project not valid");
}

}  // namespace
}  // namespace kestrova::testing
