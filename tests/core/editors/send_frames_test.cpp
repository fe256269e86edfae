#include "core/editors/send_frames.h"

#include <gtest/gtest.h>

#include "editor_test_support.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::Repeated;
using testing::TableOf;
using testing::TempDir;
using testing::WriteText;

// Priority, DataPage, PGN, SA, Transmition Type, Mnemonic
TableRow Frame(const std::string& type = "Data Change") { return {"6", "0", "0xFEF1", "3", type, "CCVS"}; }

std::vector<TableRow> Table(const std::vector<TableRow>& frames) { return TableOf(SendFramesLayout(), frames); }

TEST(SendChecks, RangesAreInclusiveNonIntegersFailAndMessagesNameNoRow) {
    const std::string priority = "Error!! Priority must be between 0 and 7. ";
    const std::string page = "Error!! Data Page must be 0 or 1. ";
    const std::string pgn = "Error!! PGN must be between 0x0000 and 0xFFFF. ";
    const std::string address = "Error!! Source Address must be between 0 and 255. ";
    using namespace send_column;
    const struct {
        size_t column;
        std::vector<std::string> texts;
        std::string refusal;  // empty: accepted
    } cases[] = {
        {Priority, {"0", "7"}, ""},
        {Priority, {"8", "-1", " "}, priority},
        {DataPage, {"1"}, ""},
        {DataPage, {"2", ""}, page},
        {Pgn, {"$FFFF"}, ""},
        {Pgn, {"0x10000", ""}, pgn},
        {SourceAddress, {"255", "0"}, ""},
        {SourceAddress, {"256", ""}, address},
        {TransmissionType, {"whatever"}, ""},
        {Mnemonic, {""}, ""},
    };
    for (const auto& c : cases)
        for (const auto& text : c.texts) {
            auto frame = Frame();
            frame[c.column] = text;
            EXPECT_EQ(CheckSendFrames(Table({Frame(), frame})).value_or(""), c.refusal)
                << "column " << c.column << " '" << text << "'";
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
}

TEST(SendTransmissionType, EntriesMapToCodesWithoutRegardToCase) {
    ASSERT_EQ(TransmissionTypeEntries().size(), 11u);
    const std::pair<const char*, const char*> codes[] = {
        {"Data Change", "0"}, {"On Timer T1", "1"},      {"on timer t10", "10"},    {"DATA CHANGE", "0"},
        {"", nullptr},        {"On Timer T11", nullptr}, {" On Timer T1", nullptr},
    };
    for (const auto& [text, code] : codes)
        EXPECT_EQ(TransmissionTypeCode(text), code ? std::optional<std::string>(code) : std::nullopt) << text;
    EXPECT_EQ(TransmissionTypeText("10"), "On Timer T10");
    EXPECT_EQ(TransmissionTypeText("$3"), "On Timer T3");
    for (const char* other : {"0", "11", "-1", "abc", ""})
        EXPECT_EQ(TransmissionTypeText(other), "Data Change") << other;
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
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(rows[i][send_column::TransmissionType], "Data Change") << i;
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
    EXPECT_EQ(ErrorText([&] { LoadSendFrames(path); }), "The attribute 'Mnemonic' is missing in row 1 of " + path + ".");
    const std::string row = "<row Priority=\"1\" DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"m\"/>";
    WriteText(path, Repeated("Receive_Frames", row, 30));
    EXPECT_EQ(LoadSendFrames(path).back()[send_column::Mnemonic], "m") << "thirty rows fit";
    WriteText(path, Repeated("Receive_Frames", row, 31));
    EXPECT_THROW(LoadSendFrames(path), Error);
}

}  // namespace
}  // namespace kestrova
