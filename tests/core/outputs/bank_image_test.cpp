#include "core/outputs/bank_image.h"

#include "output_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace kestrova::testing {
namespace {

std::string Hex(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 3)
        bytes.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string Build(const OutputProject& project) { return BankImageBytes(BuildBankImage(project.context())); }
std::string BuildError(const OutputProject& project) { return ErrorText([&] { Build(project); }); }

TEST(BankImage, WorkedExamplesOf77And16And35Bytes) {
    OutputProject project("worked_example");
    const std::string expected = Hex(
        "10 00 00 00 2C 00 00 00 32 00 00 00 45 00 00 00 "
        "00 F1 FE 00 00 00 00 08 00 00 00 00 00 00 "
        "00 CA FE 03 01 01 00 14 08 03 E8 03 00 00 "
        "06 00 00 FF 80 01 "
        "05 01 00 E8 03 05 00 14 0A 1C 08 00 02 01 00 01 00 00 02 "
        "64 00 00 00 FA 00 00 00 ");
    ASSERT_EQ(expected.size(), 77u);
    WriteBankImage(project.context(), BuildBankImage(project.context()));
    EXPECT_EQ(ReadText(project.bankPath()), expected);

    OutputProject empty;
    EXPECT_EQ(Build(empty), Hex("10 00 00 00 10 00 00 00 10 00 00 00 10 00 00 00 "));
    empty.WritePargen();
    EXPECT_EQ(Build(empty), Hex("10 00 00 00 10 00 00 00 10 00 00 00 23 00 00 00 "
                                "05 01 00 E8 03 05 00 14 0A 00 00 00 00 00 00 01 00 00 00 "));
}

TEST(BankImage, RecordFieldsAndOptionalValues) {
    OutputProject project;
    project.WriteReceive({
        // Not a transport-protocol frame: start byte and length are ignored; flags 3.
        "DataPage=\"1\" PGN=\"$FEF1\" SA=\"239\" TP=\"N\" TP_Start=\"9\" TP_NByte=\"99\" Delete=\"Y\" OnRequest=\"Y\" "
        "OnReq_Time=\"1000\" Mnemonic=\"\"",
        // Lower-case y without TP_NByte: data length 0; flags 2.
        "DataPage=\"0\" PGN=\"1\" SA=\"0\" TP=\"y\" TP_Start=\"300\" Delete=\"N\" OnRequest=\"y\" OnReq_Time=\"x\" "
        "Mnemonic=\"\"",
        // No TP, no OnRequest, no OnReq_Time at all.
        "DataPage=\"0\" PGN=\"2\" SA=\"0\" Delete=\"n\" Mnemonic=\"\"",
    });
    WriteText(project.context().documents.sendFrame,  // TT missing, not an integer, 10
              "<Receive_Frames><row Priority=\"7\" DataPage=\"1\" PGN=\"65535\" SA=\"255\" Mnemonic=\"\"/>"
              "<row Priority=\"0\" DataPage=\"0\" PGN=\"0x10\" SA=\"0\" TT=\"abc\" Mnemonic=\"\"/>"
              "<row Priority=\"0\" DataPage=\"0\" PGN=\"0x10\" SA=\"0\" TT=\"10\" Mnemonic=\"\"/></Receive_Frames>");
    // Filter_FECA and Profi_Send_J1939 missing, TimeOut_FECA not an integer.
    WriteText(project.context().documents.pargen,
              "<Par_Gen><Can_Baud>8</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>2</Can_Send_Data>"
              "<Can_Delay_Send>0x1234</Can_Delay_Send><Can_TimeOut>255</Can_TimeOut><Can_Peer>1</Can_Peer>"
              "<Profi_ID>125</Profi_ID><Profi_Baud>10</Profi_Baud><Profi_Module>1</Profi_Module>"
              "<TimeOut_FECA>oops</TimeOut_FECA></Par_Gen>");
    project.WriteTimers({"1", "120000", "7"});
    EXPECT_EQ(Build(project).substr(16), Hex("01 F1 FE EF 00 00 00 08 00 03 E8 03 00 00 "
                                             "00 01 00 00 01 2C 01 00 08 02 00 00 00 00 "
                                             "00 02 00 00 00 00 00 08 08 00 00 00 00 00 "
                                             "07 01 FF FF FF 00 00 00 10 00 00 00 00 00 10 00 00 0A "
                                             "08 01 02 34 12 FF 01 7D 0A 10 18 01 03 03 00 00 00 00 03 "
                                             "01 00 00 00 C0 D4 01 00 07 00 00 00 "));
}

TEST(BankImage, DataOffsetsAndCountsWrapModulo256) {
    OutputProject project;
    project.WritePargen();
    project.WriteReceive({OutputProject::Transport("200"), OutputProject::Transport("100"), OutputProject::Normal()});
    auto image = BuildBankImage(project.context());
    EXPECT_EQ(image.receiveFrames[1].dataOffset, 200);
    EXPECT_EQ(image.receiveFrames[2].dataOffset, 44);  // 300 modulo 256
    EXPECT_EQ(image.parameters->inputDataLength, 52);
    EXPECT_EQ(ReceiveDataLength(image), 52);
    project.WriteReceive(OutputProject::NormalRows(300));
    EXPECT_EQ(BuildBankImage(project.context()).parameters->receiveFrameCount, 300 % 256);
}

TEST(BankImage, RequiredValuesAndTheBankSizeStopTheBuild) {
    OutputProject project;
    WriteText(project.context().documents.pargen, "<Par_Gen><Can_Type>1</Can_Type></Par_Gen>");
    EXPECT_NE(BuildError(project).find("Can_Baud"), std::string::npos);
    project.WritePargen();
    project.WriteReceive({"DataPage=\"0\" PGN=\"1\" SA=\"\" TP=\"Y\" TP_NByte=\"5\" Delete=\"N\" Mnemonic=\"\""});
    EXPECT_EQ(BuildError(project), "Receive_Frame.xml, row 1, SA: '' is not a valid integer value");
    project.WriteReceive({"DataPage=\"0\" PGN=\"1\" SA=\"0\" TP=\"N\" Mnemonic=\"\""});
    EXPECT_NE(BuildError(project).find("Delete"), std::string::npos);
    project.WriteReceive({OutputProject::Normal()});
    project.WriteTimers({"100", "1 s"});
    EXPECT_EQ(BuildError(project), "TimerDef.xml, row 2: '1 s' is not a valid integer value");
    project.WriteTimers({});
    WriteText(project.context().documents.sendFrame,
              "<S><row Priority=\"6\" DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"\"/>"
              "<row Priority=\"6\" DataPage=\"0\" PGN=\"0x1G\" SA=\"1\" Mnemonic=\"\"/></S>");
    EXPECT_EQ(BuildError(project), "Send_Frame.xml, row 2, PGN: '0x1G' is not a valid integer value");
    project.WriteSend(0);
    WriteText(project.context().documents.pargen, "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>one</Can_Type></Par_Gen>");
    EXPECT_EQ(BuildError(project), "pargen.xml, Can_Type: 'one' is not a valid integer value");
    project.WritePargen();
    WriteText(project.context().documents.timerDef, "<Timers><Timer>100</Timer>");
    EXPECT_NE(BuildError(project).find("TimerDef.xml"), std::string::npos);
    // A project larger than the gateway's bank is refused, never truncated.
    project.WriteTimers({});
    project.WriteReceive(OutputProject::NormalRows(7200));  // 16 + 14 * 7200 bytes
    EXPECT_NE(BuildError(project).find("100004"), std::string::npos);
    project.WriteReceive({});
    project.WriteTimers(std::vector<std::string>(25001, "1"));  // 16 + 4 * 25001 bytes
    EXPECT_NE(BuildError(project).find("100004"), std::string::npos);
    std::remove(project.context().documents.timerDef.c_str());
    project.WriteSend(16664);  // 16 + 6 * 16664 + the 19-byte parameter block, no timer list
    EXPECT_NE(BuildError(project).find("100004"), std::string::npos);
}

TEST(BankImage, RebuildReplacesTheFileWholeAndTruncates) {
    OutputProject project("worked_example");
    WriteBankImage(project.context(), BuildBankImage(project.context()));
    project.WriteReceive({});
    WriteBankImage(project.context(), BuildBankImage(project.context()));
    EXPECT_EQ(ReadText(project.bankPath()).size(), 77u - 28);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(project.directory() + "/bin"), {}), 1);

    std::filesystem::remove_all(project.directory() + "/bin");
    const std::string error = ErrorText([&] { WriteBankImage(project.context(), BuildBankImage(project.context())); });
    EXPECT_NE(error.find(project.bankPath()), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(project.directory() + "/bin"));
}

}  // namespace
}  // namespace kestrova::testing
