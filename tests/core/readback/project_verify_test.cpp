#include "core/readback/project_verify.h"

#include <gtest/gtest.h>

#include "../outputs/output_fixture.h"
#include "core/outputs/gsd_file.h"

namespace kestrova::testing {
namespace {

using Lines = std::vector<std::string>;

class VerifyImage : public ::testing::Test {
protected:
    OutputProject project{"worked_example"};
    void SetUp() override { WriteBankImage(project.context(), BuildBankImage(project.context())); }
    Lines Verify() const { return VerifyBankImage(project.context(), project.bankPath()); }
};

TEST_F(VerifyImage, MatchingProjectHasNoDifference) { EXPECT_EQ(Verify(), Lines{}); }

TEST_F(VerifyImage, ChangedReceiveFrameTimerAndParametersAreNamed) {
    const auto& documents = project.context().documents;
    std::string receive = ReadText(documents.receiveFrame);
    receive.replace(receive.find("0xFEF1"), 6, "0xFEF2");
    WriteText(documents.receiveFrame, receive);
    project.WriteTimers({"100", "300"});
    std::string pargen = ReadText(documents.pargen);
    pargen.replace(pargen.find("<Can_Baud>5"), 11, "<Can_Baud>6");
    WriteText(documents.pargen, pargen);
    EXPECT_EQ(Verify(), (Lines{
                            "receive frame 1: PGN 0xFEF1 in the image, 0xFEF2 in the project",
                            "parameter block: J1939 Baud rate 5 (250K) in the image, 6 (500K) in the project",
                            "timer T2: 250 ms in the image, 300 ms in the project",
                        }));
}

TEST_F(VerifyImage, UnreadableImageOrProjectStops) {
    WriteText(project.bankPath(), std::string(20, '\0'));
    EXPECT_EQ(ErrorText([&] { Verify(); }), project.bankPath() +
                                                ": byte 0: the receive table offset is 0, not 16 "
                                                "(the end of the header)");
    SetUp();
    WriteText(project.context().documents.timerDef, "<Timers><Timer>x</Timer></Timers>");
    EXPECT_EQ(ErrorText([&] { Verify(); }), "TimerDef.xml, row 1: 'x' is not a valid integer value");
}

TEST(VerifyGsd, SameLayoutIsConsistentAnotherLayoutIsNamed) {
    OutputProject project("layout_example");
    const std::string kept = OutputData("layout_example_packed.gsd");
    EXPECT_EQ(VerifyGsdFile(project.context(), kept), Lines{});

    project.WritePargen("1", "0");  // one module per frame: 3 receive and 9 send modules
    const Lines differences = VerifyGsdFile(project.context(), kept);
    ASSERT_EQ(differences.size(), 2u + 3 + 9);
    EXPECT_EQ(differences[0], "Max_Module: 3 in the GSD file, 12 in the project");
    EXPECT_EQ(differences[2],
              "module 1: input of 36 bytes (0x42,0x23,0x00,0x01) in the GSD file, input of 8 bytes "
              "(0x42,0x07,0x00,0x01) in the project");
    EXPECT_EQ(differences[5], "module 4: only in the project: output of 8 bytes (0x82,0x07,0x00,0x04)");

    project.WritePargen("0", "1");  // packed with send bits: the lengths grow by two bytes each
    EXPECT_EQ(VerifyGsdFile(project.context(), kept),
              (Lines{
                  "Max_Input_Len: 36 in the GSD file, 38 in the project",
                  "Max_Output_Len: 72 in the GSD file, 74 in the project",
                  "Max_Data_Len: 108 in the GSD file, 112 in the project",
                  "module 1: input of 36 bytes (0x42,0x23,0x00,0x01) in the GSD file, input of 38 bytes "
                  "(0x42,0x25,0x00,0x01) in the project",
                  "module 3: output of 8 bytes (0x82,0x07,0x00,0x03) in the GSD file, output of 10 bytes "
                  "(0x82,0x09,0x00,0x03) in the project",
              }));
}

TEST(VerifyGsd, ReaderTakesKeywordsAsAMasterDoes) {
    const GsdDeclaration read = ReadGsdDeclaration(
        "; Max_Module=9 in a comment\r\n"
        "max_module = 0x2 ; two\r\n"
        "Max_Module=7\r\n"                                           // the first one counts
        "Module = \"DI; (PORT1)\" 0x42,\\\r\n 0x23,0x00,0x01\r\n");  // ";" in the name, continued
    EXPECT_EQ(read.maxModule, (GsdLength{true, 2}));
    ASSERT_EQ(read.modules.size(), 1u);
    EXPECT_EQ(read.modules[0].configuration, (std::vector<int32_t>{0x42, 0x23, 0x00, 0x01}));
    EXPECT_EQ(CompareGsdDeclarations(GsdDeclaration{}, read)[0],
              "Max_Module: missing in the GSD file, 2 in the project");
}

TEST(VerifyGsd, LengthLineThatIsNoNumberIsSaidSoNotMissing) {
    const GsdDeclaration project = ReadGsdDeclaration("Max_Module = 3\r\nMax_Input_Len = 36\r\n");
    const GsdDeclaration file = ReadGsdDeclaration(
        "Max_Module = 99999999999999999999\r\n"
        "Max_Module = 3\r\n"  // the first one counts, as before
        "Max_Input_Len = 36 bytes\r\n");
    EXPECT_EQ(CompareGsdDeclarations(file, project),
              (std::vector<std::string>{"Max_Module: not a valid number in the GSD file, 3 in the project",
                                        "Max_Input_Len: not a valid number in the GSD file, 36 in the project"}));
}

}  // namespace
}  // namespace kestrova::testing
