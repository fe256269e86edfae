#include "core/editors/send_frames.h"

#include <gtest/gtest.h>

#include "core/project/error.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

// Priority, DataPage, PGN, SA, Transmition Type, Mnemonic
TableRow Frame(const std::string& type = "Data Change") { return {"6", "0", "0xFEF1", "3", type, "CCVS"}; }

std::vector<TableRow> Table(std::vector<TableRow> frames) {
    auto rows = EmptyTable(SendFramesLayout());
    for (size_t i = 0; i < frames.size(); ++i) rows[i] = frames[i];
    return rows;
}

struct CellCase {
    size_t column;
    const char* text;
    const char* refusal;  // nullptr: accepted
};

TEST(SendChecks, RangesAreInclusiveNonIntegersFailAndMessagesNameNoRow) {
    const char* priority = "Error!! Priority must be between 0 and 7. ";
    const char* page = "Error!! Data Page must be 0 or 1. ";
    const char* pgn = "Error!! PGN must be between 0x0000 and 0xFFFF. ";
    const char* address = "Error!! Source Address must be between 0 and 255. ";
    const CellCase cases[] = {
        {send_column::Priority, "0", nullptr},
        {send_column::Priority, "7", nullptr},
        {send_column::Priority, "8", priority},
        {send_column::Priority, "-1", priority},
        {send_column::Priority, " ", priority},
        {send_column::DataPage, "1", nullptr},
        {send_column::DataPage, "2", page},
        {send_column::DataPage, "", page},
        {send_column::Pgn, "$FFFF", nullptr},
        {send_column::Pgn, "0x10000", pgn},
        {send_column::Pgn, "", pgn},
        {send_column::SourceAddress, "255", nullptr},
        {send_column::SourceAddress, "0", nullptr},
        {send_column::SourceAddress, "256", address},
        {send_column::SourceAddress, "", address},
        {send_column::TransmissionType, "whatever", nullptr},
        {send_column::Mnemonic, "", nullptr},
    };
    for (const auto& c : cases) {
        auto frame = Frame();
        frame[c.column] = c.text;
        const auto failure = CheckSendFrames(Table({Frame(), frame}));
        if (c.refusal)
            EXPECT_EQ(failure, c.refusal) << c.column << " '" << c.text << "'";
        else
            EXPECT_FALSE(failure) << c.column << " '" << c.text << "': " << *failure;
    }
}

TEST(SendChecks, OnlyTheFirstFailureCountsAndDuplicatesAreAccepted) {
    auto bad = Frame();
    bad[send_column::DataPage] = "5";
    bad[send_column::SourceAddress] = "999";
    EXPECT_EQ(CheckSendFrames(Table({bad})), "Error!! Data Page must be 0 or 1. ");
    EXPECT_FALSE(CheckSendFrames(Table({Frame(), Frame()})));
    EXPECT_FALSE(CheckSendFrames(EmptyTable(SendFramesLayout())));
}

TEST(SendChecks, RowsAfterAnEmptyPriorityAreRefusedInsteadOfDropped) {
    auto rows = Table({Frame(), Frame()});
    rows[5] = Frame();
    rows[5][send_column::Priority] = "99";  // never checked: the gap is reported
    EXPECT_EQ(CheckSendFrames(rows),
              "Error in row 6!! The list ends at row 3, whose Priority is empty, so row 6 would not be saved. "
              "Fill in row 3 or clear row 6.");
    rows[2] = Frame();
    rows[2][send_column::Priority] = "";
    EXPECT_EQ(CheckSendFrames(rows),
              "Error in row 3!! The Priority is empty, so the list ends there and row 3 would not be saved. "
              "Fill in the Priority or clear row 3.");
}

TEST(SendTransmissionType, EntriesMapToCodesWithoutRegardToCase) {
    ASSERT_EQ(TransmissionTypeEntries().size(), 11u);
    EXPECT_EQ(TransmissionTypeCode("Data Change"), "0");
    EXPECT_EQ(TransmissionTypeCode("On Timer T1"), "1");
    EXPECT_EQ(TransmissionTypeCode("on timer t10"), "10");
    EXPECT_EQ(TransmissionTypeCode("DATA CHANGE"), "0");
    EXPECT_FALSE(TransmissionTypeCode(""));
    EXPECT_FALSE(TransmissionTypeCode("On Timer T11"));
    EXPECT_FALSE(TransmissionTypeCode(" On Timer T1"));
    EXPECT_EQ(TransmissionTypeText("0"), "Data Change");
    EXPECT_EQ(TransmissionTypeText("10"), "On Timer T10");
    EXPECT_EQ(TransmissionTypeText("$3"), "On Timer T3");
    for (const char* other : {"11", "-1", "abc", ""}) EXPECT_EQ(TransmissionTypeText(other), "Data Change") << other;
}

TEST(SendSave, WritesSixAttributesInOrderUnderReceiveFramesAndLeavesOutAnUnsetType) {
    TempDir dir;
    const auto path = dir / "Send_Frame.xml";
    SaveSendFrames(path, Table({Frame("on timer t7"), Frame(""), Frame("Data Change")}));
    EXPECT_EQ(ReadText(path),
              "<Receive_Frames>"
              "<row Priority=\"6\" DataPage=\"0\" PGN=\"0xFEF1\" SA=\"3\" TT=\"7\" Mnemonic=\"CCVS\"/>"
              "<row Priority=\"6\" DataPage=\"0\" PGN=\"0xFEF1\" SA=\"3\" Mnemonic=\"CCVS\"/>"
              "<row Priority=\"6\" DataPage=\"0\" PGN=\"0xFEF1\" SA=\"3\" TT=\"0\" Mnemonic=\"CCVS\"/>"
              "</Receive_Frames>");
    SaveSendFrames(path, EmptyTable(SendFramesLayout()));
    EXPECT_EQ(ReadText(path), "<Receive_Frames/>");
}

TEST(SendLoad, TypesRoundTripAndUnknownOrAbsentTypesShowDataChange) {
    TempDir dir;
    const auto path = dir / "Send_Frame.xml";
    WriteText(path,
              "<Receive_Frames>"
              "<row Priority=\"1\" DataPage=\"0\" PGN=\"1\" SA=\"1\" TT=\"11\" Mnemonic=\"a\"/>"
              "<row Priority=\"2\" DataPage=\"0\" PGN=\"1\" SA=\"1\" TT=\"abc\" Mnemonic=\"b\"/>"
              "<row Priority=\"3\" DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"c\"/>"
              "<row Priority=\"4\" DataPage=\"0\" PGN=\"1\" SA=\"1\" TT=\"4\" Mnemonic=\"d\"/>"
              "</Receive_Frames>");
    const auto rows = LoadSendFrames(path);
    ASSERT_EQ(rows.size(), kSendFrameRows);
    EXPECT_EQ(rows[0][send_column::TransmissionType], "Data Change");
    EXPECT_EQ(rows[1][send_column::TransmissionType], "Data Change");
    EXPECT_EQ(rows[2][send_column::TransmissionType], "Data Change");
    EXPECT_EQ(rows[3], (TableRow{"4", "0", "1", "1", "On Timer T4", "d"}));
    EXPECT_EQ(rows[4], TableRow(send_column::Count));
    // Saving again writes the types the table shows.
    SaveSendFrames(path, rows);
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("Priority=\"3\" DataPage=\"0\" PGN=\"1\" SA=\"1\" TT=\"0\""), std::string::npos) << text;
    EXPECT_NE(text.find("TT=\"4\""), std::string::npos) << text;
}

TEST(SendLoad, ARequiredAttributeMissingOrMoreThanThirtyRowsStopsTheLoad) {
    TempDir dir;
    const auto path = dir / "Send_Frame.xml";
    WriteText(path, "<Receive_Frames><row Priority=\"1\" DataPage=\"0\" PGN=\"1\" SA=\"1\"/></Receive_Frames>");
    try {
        LoadSendFrames(path);
        FAIL() << "loaded";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "The attribute 'Mnemonic' is missing in row 1 of " + path + ".");
    }
    std::string text = "<Receive_Frames>";
    for (int i = 0; i < 30; ++i) text += "<row Priority=\"1\" DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"m\"/>";
    WriteText(path, text + "</Receive_Frames>");
    EXPECT_EQ(LoadSendFrames(path).back()[send_column::Mnemonic], "m") << "thirty rows fit";
    WriteText(path, text + "<row/></Receive_Frames>");
    EXPECT_THROW(LoadSendFrames(path), Error);
}

}  // namespace
}  // namespace kestrova
