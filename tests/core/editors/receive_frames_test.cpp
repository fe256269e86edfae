#include "core/editors/receive_frames.h"

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

// DataPage, PGN, SA, TP, TP_Start, TP_NByte, Delete, OnRequest, OnReq_Time, Mnemonic
TableRow Plain(const std::string& sa = "0") { return {"0", "65265", sa, "N", "", "", "N", "N", "", "CCVS"}; }
TableRow Transport(const std::string& start, const std::string& count, const std::string& sa = "") {
    return {"1", "0xFECA", sa, "Y", start, count, "", "", "", "DM1"};
}

std::vector<TableRow> Table(const std::vector<TableRow>& frames) { return TableOf(ReceiveFramesLayout(), frames); }

std::optional<std::string> Check(const std::vector<TableRow>& frames) { return CheckReceiveFrames(Table(frames)); }

TableRow With(TableRow row, size_t column, const std::string& text) {
    row[column] = text;
    return row;
}

TEST(ReceiveChecks, RangesAreInclusiveAndRowChecksNameTheRow) {
    const std::string page = "Error!! Data Page must be 0 or 1. ";
    const std::string pgn = "Error!! PGN must be between 0x0000 and 0xFFFF. ";
    const std::string sa = "Error in row 2!! The Source Address must be between 0 and 239";
    const std::string start = "Error in row 2!! The Start Byte must be between 1 and 1785";
    const std::string count = "Error in row 2!! The Number Bytes must be between 1 and 244";
    const std::string sum = "Error in row 2!! The Number Bytes plus Start Byte must be minor of 1785";
    const std::string time = "Error in row 2!! The Time(ms) must be between 1 and 10000000";
    using namespace receive_column;
    const auto onRequest = With(Plain(), OnRequest, "Y");
    const struct {
        TableRow frame;
        size_t column;
        std::vector<std::string> texts;
        std::string refusal;  // empty: accepted
    } cases[] = {
        {Plain(), DataPage, {"0", "1", "$1"}, ""},
        {Plain(), DataPage, {"2", "-1", "one"}, page},
        {Plain(), Pgn, {"0", "0xFEF1", "$FEF1", "65265", "0xFFFF"}, ""},
        {Plain(), Pgn, {"", "0x10000", "65536", "-1", "65265 "}, pgn},
        {Plain(), SourceAddress, {"239"}, ""},
        {Plain(), SourceAddress, {"240", "", "-1"}, sa},
        // With the transport protocol the address may be empty (or blank), but not wrong.
        {Transport("1", "8"), SourceAddress, {"", "  ", "239"}, ""},
        {Transport("1", "8"), SourceAddress, {"240", "x"}, sa},
        // Only an exact "Y" marks it: otherwise 8 bytes, Start Byte and N° Byte ignored, address required.
        {Transport("0", "999"), TransportProtocol, {"N", "", "y"}, sa},
        {Transport("0", "999", "5"), TransportProtocol, {"N", "", "y"}, ""},
        {Transport("1", "1"), StartByte, {"0", "1786", ""}, start},
        {Transport("1", "1"), StartByte, {"1785"}, sum},  // passes the Start Byte check, fails the sum
        {Transport("1", "1"), ByteCount, {"0", "245", ""}, count},
        {Transport("1700", "1"), ByteCount, {"85"}, ""},
        {Transport("1700", "1"), ByteCount, {"86"}, sum},
        // The On Request time is checked only when On Request is exactly "Y".
        {onRequest, OnRequestTime, {"1", "10000000"}, ""},
        {onRequest, OnRequestTime, {"", "0", "10000001", "fast"}, time},
        {Plain(), OnRequest, {"N", "", "y"}, ""},
    };
    for (const auto& c : cases)
        for (const auto& text : c.texts)
            EXPECT_EQ(Check({Plain(), With(c.frame, c.column, text)}).value_or(""), c.refusal)
                << "column " << c.column << " '" << text << "'";
}

TEST(ReceiveChecks, ByteTotalMayReach244AndIsReportedWithItsValueWhenOver) {
    std::vector<TableRow> frames(28, Plain());  // 224 bytes
    frames.push_back(Transport("1", "20"));
    EXPECT_FALSE(Check(frames));
    frames.back() = Transport("1", "21");
    EXPECT_EQ(Check(frames), "General Error!! The complete number of bytes must be minor or equal to 244 [245]");
    EXPECT_FALSE(Check(std::vector<TableRow>(30, Plain()))) << "thirty plain frames are 240 bytes";
    std::vector<TableRow> twoBig{Transport("1", "200"), Transport("1", "200")};
    EXPECT_EQ(Check(twoBig), "General Error!! The complete number of bytes must be minor or equal to 244 [400]");
    EXPECT_FALSE(Check({Transport("1", "244")})) << "244 bytes on its own";
}

TEST(ReceiveChecks, StopAtTheFirstFailureInRowAndCheckOrder) {
    EXPECT_EQ(Check({With(Plain("999"), receive_column::Pgn, "x"), With(Plain(), receive_column::DataPage, "3")}),
              "Error!! PGN must be between 0x0000 and 0xFFFF. ");
    EXPECT_EQ(Check({With(Transport("1785", "0", "240"), receive_column::OnRequest, "Y")}),
              "Error in row 1!! The Source Address must be between 0 and 239");
    // A row failure comes before the byte total of the rows before it.
    EXPECT_EQ(Check({Transport("1", "244"), Plain("240")}),
              "Error in row 2!! The Source Address must be between 0 and 239");
}

TEST(ReceiveChecks, RowsAfterAGapAreRefusedInsteadOfDropped) {
    auto rows = Table({Plain(), Plain()});
    rows[3] = Plain("bad");
    EXPECT_EQ(CheckReceiveFrames(rows),
              "Error in row 4!! The list ends at row 3, whose Data Page is empty, so row 4 would not be saved. "
              "Fill in row 3 or clear row 4.");
    // Rows after the gap are not checked: the refusal names the gap, not the bad address.
    rows[3] = TableRow(receive_column::Count);
    rows[3][receive_column::CancelData] = "N";
    rows[3][receive_column::Mnemonic] = " ";
    EXPECT_FALSE(CheckReceiveFrames(rows)) << "cleared flags and blanks are no data";
    EXPECT_FALSE(Check({})) << "an empty table passes";
}

TEST(ReceiveSave, WritesTenAttributesInOrderAsTypedEmptyCellsIncluded) {
    TempDir dir;
    const auto path = dir / "Receive_Frame.xml";
    auto rows = Table({{"0", "0xFEF1", "0", "", "", "", "", "", "", "CCVS"}, Transport("1", "20", "")});
    rows[1][receive_column::Mnemonic] = "A&B <1>";
    ASSERT_FALSE(CheckReceiveFrames(rows));
    SaveReceiveFrames(path, rows);
    EXPECT_EQ(ReadText(path),
              "<Receive_Frames>"
              "<row DataPage=\"0\" PGN=\"0xFEF1\" SA=\"0\" TP=\"\" TP_Start=\"\" TP_NByte=\"\" Delete=\"\" "
              "OnRequest=\"\" OnReq_Time=\"\" Mnemonic=\"CCVS\"/>"
              "<row DataPage=\"1\" PGN=\"0xFECA\" SA=\"\" TP=\"Y\" TP_Start=\"1\" TP_NByte=\"20\" Delete=\"\" "
              "OnRequest=\"\" OnReq_Time=\"\" Mnemonic=\"A&amp;B &lt;1&gt;\"/>"
              "</Receive_Frames>");
    EXPECT_EQ(LoadReceiveFrames(path), rows) << "what is saved loads back cell for cell";

    SaveReceiveFrames(path, EmptyTable(ReceiveFramesLayout()));
    EXPECT_EQ(ReadText(path), "<Receive_Frames/>");
}

TEST(ReceiveLoad, MissingFileGivesAnEmptyTableOldRowsGetDefaultsAndIncompleteDocumentsAreRefused) {
    TempDir dir;
    const auto path = dir / "Receive_Frame.xml";
    EXPECT_EQ(LoadReceiveFrames(path), EmptyTable(ReceiveFramesLayout()));
    WriteText(path, "<Frames><row DataPage=\"0\" PGN=\"61444\" SA=\"0\" Mnemonic=\"EEC1\"/></Frames>");
    const auto rows = LoadReceiveFrames(path);
    ASSERT_EQ(rows.size(), kReceiveFrameRows);
    EXPECT_EQ(rows[0], (TableRow{"0", "61444", "0", "N", "", "", "N", "N", "", "EEC1"}));
    EXPECT_EQ(rows[1], TableRow(receive_column::Count));

    for (const char* missing : {"DataPage", "PGN", "SA", "Mnemonic"}) {
        std::string row = "<row";
        for (const char* name : {"DataPage", "PGN", "SA", "Mnemonic"})
            if (std::string(name) != missing) row += std::string(" ") + name + "=\"1\"";
        WriteText(path, "<Receive_Frames><row DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"\"/>" + row +
                            "/></Receive_Frames>");
        EXPECT_EQ(ErrorText([&] { LoadReceiveFrames(path); }),
                  std::string("The attribute '") + missing + "' is missing in row 2 of " + path + ".");
    }
    WriteText(path, Repeated("Receive_Frames", "<row DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"\"/>", 31));
    EXPECT_THROW(LoadReceiveFrames(path), Error);
    WriteText(path, "<Receive_Frames><row");
    EXPECT_THROW(LoadReceiveFrames(path), Error);
}

}  // namespace
}  // namespace kestrova
