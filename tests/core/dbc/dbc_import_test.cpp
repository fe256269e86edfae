#include "core/dbc/dbc_import.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

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

DbcFile Read(const std::string& name) { return ReadDbcFile(std::string(KESTROVA_TEST_DATA) + "/dbc/" + name); }

std::vector<std::string> Column(const std::vector<TableRow>& rows, size_t column) {
    std::vector<std::string> cells;
    for (const auto& row : rows)
        if (!row[column].empty()) cells.push_back(row[column]);
    return cells;
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
             Case{30, {"EEC1", "DM1"}, {}, "Receive Frames has 0 empty rows of 30; the 2 chosen frames do not fit."},
             Case{29, {"DM1"}, {}, "General Error!! The complete number of bytes must be minor or equal to 244 [252]"},
             Case{0, {"RQST"}, {}, "RQST: source address 254 cannot be received; give the sender's address (--sa)"},
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

TEST(DbcImport, APdu1RowKeepsItsDestination) {
    const DbcFile dbc = Read("j1939_pdu1.dbc");
    std::vector<std::string> pgns;
    for (const auto* message : SelectMessages(dbc, {"0x15600"}, FrameList::Receive))  // the J1939 PGN: every one
        pgns.push_back(FrameRow(*message, FrameList::Receive)[receive_column::Pgn]);
    EXPECT_EQ(pgns, (std::vector<std::string>{"0x566D", "0x566F", "0x566E"}));
    EXPECT_EQ(Names(SelectMessages(dbc, {"0x1566E"}, FrameList::Receive)), std::vector<std::string>{"CMD_TO_6E"});
    // A command to address 2 is sent to address 2, not to 0.
    EXPECT_EQ(FrameRow(dbc.messages[3], FrameList::Send),
              (TableRow{"3", "0", "0x0002", "3", "Data Change", "TSC1_TO_02"}));
    EXPECT_EQ(FrameRow(dbc.messages[4], FrameList::Send)[send_column::Pgn], "0xFEF1");
}

TEST(DbcImport, ListingShowsTheJ1939PgnAndTheDestinationApart) {
    const std::string csv = DbcListCsv(Read("j1939_pdu1.dbc"));
    EXPECT_EQ(csv,
              "name,identifier,priority,data_page,pgn,destination,source_address,length,note\r\n"
              "CMD_TO_6D,0x09566D24,2,1,0x5600,109,36,8,\r\n"
              "CMD_TO_6F,0x09566F24,2,1,0x5600,111,36,8,\r\n"
              "CMD_TO_6E,0x09566E24,2,1,0x5600,110,36,8,\r\n"
              "TSC1_TO_02,0x0C000203,3,0,0x0000,2,3,8,\r\n"
              "CCVS,0x18FEF100,6,0,0xFEF1,,0,8,\r\n");
    // A note with a comma stays one field.
    const std::string bad = DbcListCsv(ParseDbc("BO_ 2048 BIG: 8 E\n", "x.dbc"));
    EXPECT_EQ(bad.substr(bad.find("\r\n") + 2),
              "BIG,0x800,,,,,,8,\"not importable (line 1): the identifier 2048 is more than 11 bits, but bit 31 (a "
              "29-bit identifier) is not set\"\r\n");
}

TEST(DbcImport, OddMessagesAreNotImportableAndTheOthersAre) {
    const DbcFile dbc = Read("j1939_one_bad_message.dbc");
    EXPECT_EQ(Names(SelectMessages(dbc, {"EEC1", "DUP", "CCVS"}, FrameList::Receive)),
              (std::vector<std::string>{"EEC1", "DUP", "CCVS"}));  // DUP: the first of that name
    EXPECT_EQ(ErrorText([&] { SelectMessages(dbc, {"1ST_GEAR"}, FrameList::Receive); }),
              "1ST_GEAR (line 17) cannot be imported into Receive Frames: the message name 1ST_GEAR begins with a "
              "digit.");
    EXPECT_EQ(MessageNote(dbc.messages[4], FrameList::Send),
              "not importable (line 23): the identifier 4294967295 is more than 29 bits");
    EXPECT_FALSE(J1939FieldsOf(dbc.messages[4]));  // no fields made up from bits above 29
}

TEST(DbcImport, LongNamesNameTheMessageAndItsMnemonic) {
    const DbcFile dbc = Read("j1939_long_names.dbc");
    const auto select = [&](std::vector<std::string> names) {
        return Names(SelectMessages(dbc, names, FrameList::Receive));
    };
    EXPECT_EQ(select({"ELECTRONIC_ENGINE_CONTROLLER_1_MESSAGE", "ELECTRONIC_ENGINE_CONTROLLER_1_M"}),
              std::vector<std::string>{"ELECTRONIC_ENGINE_CONTROLLER_1_MESSAGE"});  // the short name still selects
    EXPECT_EQ(ErrorText([&] { select({"ENGINE_TEMPERATURE_1_FROM_ENGINE"}); }),
              "The name ENGINE_TEMPERATURE_1_FROM_ENGINE is given to 2 messages of the DBC file (lines 14, 17); "
              "choose one by its full name.");
    EXPECT_EQ(FrameRow(dbc.messages[2], FrameList::Receive)[receive_column::Mnemonic],
              "ENGINE_TEMPERATURE_1_FROM_ENGINE_RETARDER");
    EXPECT_TRUE(MessageMatchesFilter(dbc.messages[0], "controller_1_m"));
}

TEST(DbcImport, SourceAddressRefusalsNameTheMessage) {
    struct Case {
        std::string address;
        FrameList list;
        std::string refusal;  // empty: taken
    };
    for (const Case& c : {
             Case{"239", FrameList::Receive, ""},
             Case{"254", FrameList::Receive,
                  "EEC1: source address 254 cannot be received; give the sender's address (--sa)"},
             Case{"255", FrameList::Send, ""},
             Case{"256", FrameList::Send,
                  "EEC1: \"256\" is not a source address (0 to 255); give the sender's address (--sa)"},
             Case{"x", FrameList::Receive,
                  "EEC1: \"x\" is not a source address (0 to 239); give the sender's address (--sa)"},
         })
        EXPECT_EQ(SourceAddressRefusal("EEC1", c.address, c.list, "--sa").value_or(""), c.refusal) << c.address;
}

TEST(DbcImport, RepeatedFramesAreRefusedNamingBoth) {
    auto table = EmptyTable(ReceiveFramesLayout());
    table[0] = {"0", "65265", "0", "N", "", "", "N", "N", "", "Speed"};    // 0xFEF1 typed in decimal
    table[1] = {"0", "0xF004", "3", "N", "", "", "N", "N", "", "EEC1"};    // these two repeat each other:
    table[2] = {"0", "0xF004", "3", "N", "", "", "N", "N", "", "EEC1 b"};  // not the import's concern
    const auto row = [](const char* pgn, const char* address) {
        return TableRow{"0", pgn, address, "N", "", "", "N", "N", "", "new"};
    };
    const auto refusal = [&](std::vector<TableRow> rows) {
        return RepeatedFrameRefusal(FrameList::Receive, table, rows, {"A", "B"}).value_or("");
    };
    EXPECT_EQ(refusal({row("0xFEF1", "0")}),
              "A would repeat row 1 of Receive Frames (Speed): data page 0, PGN 0xFEF1, source address 0.");
    EXPECT_EQ(refusal({row("0xF004", "4")}), "");
}

TEST_F(DbcImportProject, TheSendersAddressReplacesTheNullAddress) {
    const DbcFile dbc = Read("j1939_null_address.dbc");
    EXPECT_EQ(ErrorText([&] {
                  ImportDbcMessages(context, dbc, {"EEC1", "CCVS"}, {});
              }),
              "EEC1: source address 254 cannot be received; give the sender's address (--sa)");
    EXPECT_EQ(ErrorText([&] { ImportDbcMessages(context, dbc, {"0xF004"}, {}, "0"); }),  // EEC1 and EEC1_SA0
              "EEC1 and EEC1_SA0 would both be data page 0, PGN 0xF004, source address 0 in Receive Frames.");
    EXPECT_FALSE(FileExists(context.documents.receiveFrame));
    ImportDbcMessages(context, dbc, {"EEC1", "CCVS"}, {"ET1"}, "0x21");
    EXPECT_EQ(Column(LoadReceiveFrames(context.documents.receiveFrame), receive_column::SourceAddress),
              (std::vector<std::string>{"0x21", "0x21"}));
    EXPECT_EQ(Column(LoadSendFrames(context.documents.sendFrame), send_column::SourceAddress),
              std::vector<std::string>{"0x21"});
    // A second import of the same frames is refused, naming the row it would repeat.
    const std::string before = ReadText(context.documents.receiveFrame);
    EXPECT_EQ(ErrorText([&] {
                  ImportDbcMessages(context, dbc, {"EEC2", "CCVS"}, {}, "33");
              }),
              "CCVS would repeat row 2 of Receive Frames (CCVS): data page 0, PGN 0xFEF1, source address 33.");
    EXPECT_EQ(ReadText(context.documents.receiveFrame), before);
}

TEST_F(DbcImportProject, BothListsAreWrittenOrNeither) {
    ReceiveFrames(1);
    const std::string before = ReadText(context.documents.receiveFrame);
    // Send_Frame.xml cannot be written (its temporary file's name is taken by a folder): the
    // receive list, which comes first, is not written either.
    const std::string blocker = context.documents.sendFrame + ".tmp-" + std::to_string(::getpid());
    std::filesystem::create_directories(blocker + "/inside");
    EXPECT_EQ(ErrorText([&] { ImportDbcMessages(context, Fixture(), {"EEC1"}, {"RQST"}); }),
              "Cannot create file " + context.documents.sendFrame + ": File exists. No file was changed.");
    EXPECT_EQ(ReadText(context.documents.receiveFrame), before);
    EXPECT_FALSE(FileExists(context.documents.sendFrame));
    std::filesystem::remove_all(blocker);
    // A write-protected Send_Frame.xml is refused before anything is replaced.
    SaveSendFrames(context.documents.sendFrame, {});
    std::filesystem::permissions(context.documents.sendFrame, std::filesystem::perms::owner_read);
    EXPECT_EQ(ErrorText([&] { ImportDbcMessages(context, Fixture(), {"EEC1"}, {"RQST"}); }),
              context.documents.sendFrame + " is write-protected. No file was changed.");
    EXPECT_EQ(ReadText(context.documents.receiveFrame), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // no file left behind
}

}  // namespace
}  // namespace kestrova
