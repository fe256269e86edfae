#include "core/editors/receive_frames.h"

#include <gtest/gtest.h>

#include "core/project/error.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

// DataPage, PGN, SA, TP, TP_Start, TP_NByte, Delete, OnRequest, OnReq_Time, Mnemonic
TableRow Plain(const std::string& sa = "0") { return {"0", "65265", sa, "N", "", "", "N", "N", "", "CCVS"}; }
TableRow Transport(const std::string& start, const std::string& count, const std::string& sa = "") {
    return {"1", "0xFECA", sa, "Y", start, count, "", "", "", "DM1"};
}

std::vector<TableRow> Table(std::vector<TableRow> frames) {
    auto rows = EmptyTable(ReceiveFramesLayout());
    for (size_t i = 0; i < frames.size(); ++i) rows[i] = frames[i];
    return rows;
}

std::optional<std::string> Check(std::vector<TableRow> frames) { return CheckReceiveFrames(Table(std::move(frames))); }

TEST(ReceiveChecks, DataPageAndPgnRangesAreInclusiveAndDoNotNameTheRow) {
    auto frame = Plain();
    for (const char* page : {"0", "1", "$1"}) {
        frame[receive_column::DataPage] = page;
        EXPECT_FALSE(Check({frame})) << page;
    }
    for (const char* page : {"2", "-1", "one"}) {
        frame[receive_column::DataPage] = page;
        EXPECT_EQ(Check({Plain(), frame}), "Error!! Data Page must be 0 or 1. ") << page;
    }
    frame = Plain();
    for (const char* pgn : {"0", "0xFEF1", "$FEF1", "65265", "0xFFFF"}) {
        frame[receive_column::Pgn] = pgn;
        EXPECT_FALSE(Check({frame})) << pgn;
    }
    for (const char* pgn : {"", "0x10000", "65536", "-1", "65265 "}) {
        frame[receive_column::Pgn] = pgn;
        EXPECT_EQ(Check({frame}), "Error!! PGN must be between 0x0000 and 0xFFFF. ") << pgn;
    }
}

TEST(ReceiveChecks, SourceAddressUpTo239NamesTheRowAndMayBeEmptyOnlyWithTransportProtocol) {
    const std::string message = "Error in row 3!! The Source Address must be between 0 and 239";
    EXPECT_FALSE(Check({Plain(), Plain(), Plain("239")}));
    EXPECT_EQ(Check({Plain(), Plain(), Plain("240")}), message);
    EXPECT_EQ(Check({Plain(), Plain(), Plain("")}), message);
    EXPECT_EQ(Check({Plain(), Plain(), Plain("-1")}), message);

    EXPECT_FALSE(Check({Transport("1", "8", "")}));
    EXPECT_FALSE(Check({Transport("1", "8", "  ")})) << "blank counts as empty";
    EXPECT_FALSE(Check({Transport("1", "8", "239")}));
    EXPECT_EQ(Check({Plain(), Plain(), Transport("1", "8", "240")}), message);
    EXPECT_EQ(Check({Transport("1", "8", "x")}), "Error in row 1!! The Source Address must be between 0 and 239");
}

TEST(ReceiveChecks, OnlyAnExactYMarksATransportProtocolFrame) {
    auto frame = Transport("0", "999", "");
    for (const char* flag : {"N", "", "y"}) {
        frame[receive_column::TransportProtocol] = flag;
        // Counted as 8 bytes, Start Byte and N° Byte ignored, Source Address required.
        EXPECT_EQ(Check({frame}), "Error in row 1!! The Source Address must be between 0 and 239") << flag;
        frame[receive_column::SourceAddress] = "5";
        EXPECT_FALSE(Check({frame})) << flag;
        frame[receive_column::SourceAddress] = "";
    }
}

TEST(ReceiveChecks, StartByteCountAndTheirSumAreBoundedTo1785) {
    const std::string start = "Error in row 2!! The Start Byte must be between 1 and 1785";
    const std::string count = "Error in row 2!! The Number Bytes must be between 1 and 244";
    const std::string sum = "Error in row 2!! The Number Bytes plus Start Byte must be minor of 1785";
    EXPECT_FALSE(Check({Plain(), Transport("1", "1")}));
    EXPECT_EQ(Check({Plain(), Transport("0", "1")}), start);
    EXPECT_EQ(Check({Plain(), Transport("1786", "1")}), start);
    EXPECT_EQ(Check({Plain(), Transport("", "1")}), start);
    EXPECT_EQ(Check({Plain(), Transport("1785", "1")}), sum) << "passes the Start Byte check, fails the sum";
    EXPECT_EQ(Check({Plain(), Transport("1", "0")}), count);
    EXPECT_EQ(Check({Plain(), Transport("1", "245")}), count);
    EXPECT_EQ(Check({Plain(), Transport("1", "")}), count);
    EXPECT_FALSE(Check({Transport("1700", "85")}));
    EXPECT_EQ(Check({Plain(), Transport("1700", "86")}), sum);
    EXPECT_FALSE(Check({Transport("1", "244")})) << "244 bytes on its own";
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
}

TEST(ReceiveChecks, OnRequestTimeIsCheckedOnlyWhenOnRequestIsY) {
    const std::string message = "Error in row 1!! The Time(ms) must be between 1 and 10000000";
    auto frame = Plain();
    frame[receive_column::OnRequest] = "Y";
    for (const char* time : {"1", "10000000"}) {
        frame[receive_column::OnRequestTime] = time;
        EXPECT_FALSE(Check({frame})) << time;
    }
    for (const char* time : {"", "0", "10000001", "fast"}) {
        frame[receive_column::OnRequestTime] = time;
        EXPECT_EQ(Check({frame}), message) << time;
    }
    for (const char* flag : {"N", "", "y"}) {
        frame[receive_column::OnRequest] = flag;
        frame[receive_column::OnRequestTime] = "";
        EXPECT_FALSE(Check({frame})) << flag;
    }
}

TEST(ReceiveChecks, StopAtTheFirstFailureInRowAndCheckOrder) {
    auto badPgn = Plain("999");
    badPgn[receive_column::Pgn] = "x";
    auto badPage = Plain();
    badPage[receive_column::DataPage] = "3";
    EXPECT_EQ(Check({badPgn, badPage}), "Error!! PGN must be between 0x0000 and 0xFFFF. ");
    auto onRequest = Transport("1785", "0", "240");
    onRequest[receive_column::OnRequest] = "Y";
    EXPECT_EQ(Check({onRequest}), "Error in row 1!! The Source Address must be between 0 and 239");
    // A row failure comes before the byte total of the rows before it.
    std::vector<TableRow> frames{Transport("1", "244"), Plain("240")};
    EXPECT_EQ(Check(frames), "Error in row 2!! The Source Address must be between 0 and 239");
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

TEST(ReceiveLoad, MissingFileGivesAnEmptyTableAndOldRowsGetTheirDefaults) {
    TempDir dir;
    const auto path = dir / "Receive_Frame.xml";
    EXPECT_EQ(LoadReceiveFrames(path), EmptyTable(ReceiveFramesLayout()));
    WriteText(path, "<Frames><row DataPage=\"0\" PGN=\"61444\" SA=\"0\" Mnemonic=\"EEC1\"/></Frames>");
    const auto rows = LoadReceiveFrames(path);
    ASSERT_EQ(rows.size(), kReceiveFrameRows);
    EXPECT_EQ(rows[0], (TableRow{"0", "61444", "0", "N", "", "", "N", "N", "", "EEC1"}));
    EXPECT_EQ(rows[1], TableRow(receive_column::Count));
}

TEST(ReceiveLoad, ARowWithoutARequiredAttributeOrTooManyRowsIsNotLoadedAtAll) {
    TempDir dir;
    const auto path = dir / "Receive_Frame.xml";
    for (const char* missing : {"DataPage", "PGN", "SA", "Mnemonic"}) {
        std::string row = "<row";
        for (const char* name : {"DataPage", "PGN", "SA", "Mnemonic"})
            if (std::string(name) != missing) row += std::string(" ") + name + "=\"1\"";
        WriteText(path, "<Receive_Frames><row DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"\"/>" + row +
                            "/></Receive_Frames>");
        try {
            LoadReceiveFrames(path);
            ADD_FAILURE() << "loaded without " << missing;
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()),
                      std::string("The attribute '") + missing + "' is missing in row 2 of " + path + ".");
        }
    }
    std::string text = "<Receive_Frames>";
    for (int i = 0; i < 31; ++i) text += "<row DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"\"/>";
    WriteText(path, text + "</Receive_Frames>");
    EXPECT_THROW(LoadReceiveFrames(path), Error);
    WriteText(path, "<Receive_Frames><row");
    EXPECT_THROW(LoadReceiveFrames(path), Error);
}

}  // namespace
}  // namespace kestrova
