#include "core/dbc/dbc_import.h"

#include <gtest/gtest.h>

#include "core/editors/receive_frames.h"
#include "core/editors/send_frames.h"
#include "core/project/file_system.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;

const DbcFile& Fixture() {
    static const DbcFile dbc = ReadDbcFile(std::string(KESTROVA_TEST_DATA) + "/dbc/j1939_vehicle.dbc");
    return dbc;
}

std::vector<std::string> Names(const std::vector<const DbcMessage*>& messages) {
    std::vector<std::string> names;
    for (const auto* message : messages) names.push_back(message->name);
    return names;
}

TEST(DbcImport, MessagesBecomeRowsOfEitherList) {
    const auto& messages = Fixture().messages;
    const auto& dm1 = messages[4];
    EXPECT_EQ(FrameRow(messages[0], FrameList::Receive),
              (TableRow{"0", "0xF004", "0", "N", "", "", "N", "N", "", "EEC1"}));
    EXPECT_EQ(FrameRow(dm1, FrameList::Receive), (TableRow{"0", "0xFECA", "0", "Y", "1", "20", "N", "N", "", "DM1"}));
    EXPECT_EQ(FrameRow(messages[5], FrameList::Send), (TableRow{"6", "1", "0xFF10", "23", "Data Change", "PROP_DP1"}));
    EXPECT_EQ(ImportRefusal(dm1, FrameList::Receive), std::nullopt);
    EXPECT_EQ(ImportRefusal(messages[7], FrameList::Receive), "not a J1939 frame");  // 11 bits
}

TEST(DbcImport, SelectionsByNameAndPgn) {
    const DbcFile& dbc = Fixture();
    const auto select = [&](std::vector<std::string> names, FrameList list = FrameList::Receive) {
        return Names(SelectMessages(dbc, names, list));
    };
    EXPECT_EQ(select({"CCVS", "0xF004", " EEC1 ", ""}), (std::vector<std::string>{"CCVS", "EEC1", "EEC1_SA1"}));
    EXPECT_EQ(select({"0x1FF10"}), (std::vector<std::string>{"PROP_DP1"}));  // the data page is part of the PGN
    EXPECT_EQ(ErrorText([&] { select({"0xFF10"}); }), "The DBC file holds no J1939 message of PGN 0xFF10.");
    EXPECT_EQ(ErrorText([&] { select({"eec1"}); }), "The DBC file holds no message named eec1.");
    EXPECT_EQ(ErrorText([&] { select({"EDP_FRAME"}); }),
              "EDP_FRAME (line 30) cannot be imported into Receive Frames: not a J1939 frame.");
    EXPECT_EQ(ErrorText([&] { select({"0xFECA"}, FrameList::Send); }),
              "DM1 (line 24) cannot be imported into Send Frames: longer than 8 bytes.");
}

TEST(DbcImport, RowsGoIntoTheFirstEmptyRowsOnly) {
    const TableLayout& layout = ReceiveFramesLayout();
    auto table = EmptyTable(layout);
    table[0] = FrameRow(Fixture().messages[0], FrameList::Receive);
    table[2][receive_column::Mnemonic] = "typed, no data page yet";
    table[3][receive_column::TransportProtocol] = "N";  // a cleared check box is empty
    const TableRow row = FrameRow(Fixture().messages[2], FrameList::Receive);
    EXPECT_EQ(PlaceRows(layout, table, {row, row}), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(table[2][receive_column::Mnemonic], "typed, no data page yet");
    EXPECT_EQ(table[3], row);
}

class DbcImportProject : public ::testing::Test {
protected:
    TempDir dir;
    ProjectContext context = [this] {
        ProjectContext project;
        project.projectDirectory = dir.path();
        project.DeriveDocumentPaths();
        return project;
    }();

    // A receive list of `count` eight-byte frames.
    void ReceiveFrames(int count) {
        std::vector<TableRow> rows(30, TableRow(receive_column::Count));
        for (int i = 0; i < count; ++i) rows[i] = {"0", "0xFEF1", "0", "N", "", "", "N", "N", "", "CCVS"};
        SaveReceiveFrames(context.documents.receiveFrame, rows);
    }
};

TEST_F(DbcImportProject, AppendsOrRefusesWritingNothing) {
    struct Case {
        int frames;
        std::vector<std::string> receive, send;
        std::string message;
    };
    for (const Case& c : {
             Case{30, {"EEC1", "CCVS"}, {}, "Receive Frames has 0 empty rows of 30; the 2 chosen frames do not fit."},
             Case{29, {"DM1"}, {}, "General Error!! The complete number of bytes must be minor or equal to 244 [252]"},
             Case{0, {"RQST"}, {}, "Error in row 1!! The Source Address must be between 0 and 239"},
             // the send list is refused, so the receive list is not written either
             Case{29, {"EEC1"}, {"DM1"}, "DM1 (line 24) cannot be imported into Send Frames: longer than 8 bytes."},
         }) {
        ReceiveFrames(c.frames);
        const std::string before = ReadText(context.documents.receiveFrame);
        EXPECT_EQ(ErrorText([&] { ImportDbcMessages(context, Fixture(), c.receive, c.send); }), c.message);
        EXPECT_EQ(ReadText(context.documents.receiveFrame), before);
        EXPECT_FALSE(FileExists(context.documents.sendFrame));
    }
    ImportDbcMessages(context, Fixture(), {"EEC1"}, {"RQST"});  // into the last free row, and a new send list
    EXPECT_EQ(LoadReceiveFrames(context.documents.receiveFrame)[29],
              FrameRow(Fixture().messages[0], FrameList::Receive));
    EXPECT_EQ(LoadSendFrames(context.documents.sendFrame)[0][send_column::Mnemonic], "RQST");
}

}  // namespace
}  // namespace kestrova
