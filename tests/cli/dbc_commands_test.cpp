// kestrova-cli dbc-list and dbc-import on the DBC file written by canmatrix.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;

const std::string kDbc = std::string(KESTROVA_TEST_DATA) + "/dbc/j1939_vehicle.dbc";
const std::string kData = std::string(KESTROVA_TEST_DATA) + "/dbc/";

class DbcCli : public ::testing::Test {
protected:
    kestrova::testing::TempDir dir;
    std::string project = dir / "project";
    std::string out, err;

    void SetUp() override {
        std::filesystem::create_directories(project + "/bin");
        std::filesystem::copy(std::string(KESTROVA_TEST_DATA) + "/outputs/worked_example/pargen.xml", project);
    }
    int Run(const std::vector<std::string>& arguments) {
        std::string command = "'" + std::string(KESTROVA_CLI_PATH) + "'";
        for (const auto& argument : arguments) command += " '" + argument + "'";
        const int raw = std::system((command + " >'" + (dir / "out") + "' 2>'" + (dir / "err") + "'").c_str());
        out = ReadText(dir / "out");
        err = ReadText(dir / "err");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

TEST_F(DbcCli, ListsEveryMessageWithItsJ1939Identity) {
    ASSERT_EQ(Run({"dbc-list", kDbc}), 0) << err;
    EXPECT_EQ(out.substr(0, out.find('\n', out.find("RQST"))),
              "Name        Identifier  Priority  DP  PGN     Dest  SA   Length  Note\n"
              "EEC1        0x0CF00400  3         0   0xF004  -     0    8\n"
              "EEC1_SA1    0x0CF00401  3         0   0xF004  -     1    8\n"
              "CCVS        0x18FEF100  6         0   0xFEF1  -     0    8\n"
              "RQST        0x18EA00FE  6         0   0xEA00  0     254  3");
    EXPECT_NE(out.find("\nDIAG_11BIT  0x123       -         -   -       -     -    8       not a J1939 frame\n"),
              std::string::npos)
        << out;
    ASSERT_EQ(Run({"dbc-list", "--csv", kDbc}), 0);
    EXPECT_EQ(out.rfind("name,identifier,priority,data_page,pgn,destination,source_address,length,note\r\n"
                        "EEC1,0x0CF00400,3,0,0xF004,,0,8,\r\n",
                        0),
              0u)
        << out;
}

TEST_F(DbcCli, APdu1MessageToThreeDestinationsGivesThreeFrames) {
    ASSERT_EQ(Run({"dbc-list", kData + "j1939_pdu1.dbc"}), 0) << err;
    EXPECT_EQ(out,
              "Name        Identifier  Priority  DP  PGN     Dest  SA  Length  Note\n"
              "CMD_TO_6D   0x09566D24  2         1   0x5600  109   36  8\n"
              "CMD_TO_6F   0x09566F24  2         1   0x5600  111   36  8\n"
              "CMD_TO_6E   0x09566E24  2         1   0x5600  110   36  8\n"
              "TSC1_TO_02  0x0C000203  3         0   0x0000  2     3   8\n"
              "CCVS        0x18FEF100  6         0   0xFEF1  -     0   8\n");
    ASSERT_EQ(Run({"dbc-import", project, kData + "j1939_pdu1.dbc", "--receive", "0x15600", "--send", "TSC1_TO_02"}), 0)
        << err;
    const std::string receive = ReadText(project + "/Receive_Frame.xml");
    for (const char* pgn : {"PGN=\"0x566D\"", "PGN=\"0x566F\"", "PGN=\"0x566E\""})
        EXPECT_NE(receive.find(pgn), std::string::npos) << pgn;
    EXPECT_NE(ReadText(project + "/Send_Frame.xml").find("PGN=\"0x0002\""), std::string::npos);
    EXPECT_EQ(Run({"lint", project}), 0) << out;  // a PDU1 row's low byte is its destination, not a mistake
    EXPECT_EQ(Run({"image", project}), 0) << err;
    EXPECT_EQ(Run({"decode", project + "/bin/bank.bin"}), 0);
    EXPECT_NE(out.find("receive frame 3: data page 1, PGN 0x566E, source address 36"), std::string::npos) << out;
}

TEST_F(DbcCli, OneBadMessageLeavesTheRestImportable) {
    const std::string file = kData + "j1939_one_bad_message.dbc";
    ASSERT_EQ(Run({"dbc-list", file}), 0) << err;
    EXPECT_NE(out.find("ALL_ONES   0xFFFFFFFF  -         -   -       -     -   8       not importable (line 23): the "
                       "identifier 4294967295 is more than 29 bits\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(Run({"dbc-import", project, file, "--receive", "EEC1,CCVS"}), 0) << err;
    EXPECT_EQ(Run({"dbc-import", project, file, "--receive", "ETC2"}), 1);
    EXPECT_EQ(err,
              "ETC2 (line 20) cannot be imported into Receive Frames: the signal name 2ND_GEAR begins with a "
              "digit (line 21).\n");
    // A file that is no DBC file at all is still refused, naming the line.
    WriteText(dir / "logo.dbc", std::string("\x89PNG\r\n\x1A\n\0", 9));
    EXPECT_EQ(Run({"dbc-list", dir / "logo.dbc"}), 1);
    EXPECT_EQ(err, dir / "logo.dbc, line 2: this is not a DBC text file (it holds the byte 0x1A)\n");
}

TEST_F(DbcCli, TheSendersAddressForANullAddressDatabase) {
    const std::string file = kData + "j1939_null_address.dbc";
    EXPECT_EQ(Run({"dbc-import", project, file, "--receive", "EEC1"}), 1);
    EXPECT_EQ(err, "EEC1: source address 254 cannot be received; give the sender's address (--sa)\n");
    EXPECT_EQ(Run({"dbc-import", project, file, "--receive", "EEC1", "--sa", "300"}), 2);
    EXPECT_EQ(err, "kestrova-cli dbc-import: --sa takes a source address from 0 to 255, not '300'\n");
    ASSERT_EQ(Run({"dbc-import", project, file, "--receive", "EEC1,CCVS", "--sa", "0"}), 0) << err;
    EXPECT_EQ(out, "Receive_Frame.xml: row 1 EEC1\nReceive_Frame.xml: row 2 CCVS\n");
    EXPECT_EQ(Run({"check", project}), 0) << err;
    // The same frames again: refused naming both, nothing written.
    const std::string before = ReadText(project + "/Receive_Frame.xml");
    EXPECT_EQ(Run({"dbc-import", project, file, "--receive", "EEC1_SA0"}), 1);
    EXPECT_EQ(err,
              "EEC1_SA0 would repeat row 1 of Receive Frames (EEC1): data page 0, PGN 0xF004, source address "
              "0.\n");
    EXPECT_EQ(ReadText(project + "/Receive_Frame.xml"), before);
}

TEST_F(DbcCli, ALongNameIsTheMnemonic) {
    const std::string file = kData + "j1939_long_names.dbc";
    ASSERT_EQ(Run({"dbc-import", project, file, "--receive", "ELECTRONIC_ENGINE_CONTROLLER_1_M"}), 0) << err;
    EXPECT_EQ(out, "Receive_Frame.xml: row 1 ELECTRONIC_ENGINE_CONTROLLER_1_MESSAGE\n");
    EXPECT_NE(ReadText(project + "/Receive_Frame.xml").find("Mnemonic=\"ELECTRONIC_ENGINE_CONTROLLER_1_MESSAGE\""),
              std::string::npos);
}

TEST_F(DbcCli, ASendListThatCannotBeWrittenLeavesTheReceiveListAsItWas) {
    ASSERT_EQ(Run({"dbc-import", project, kDbc, "--send", "RQST"}), 0) << err;
    const std::string send = project + "/Send_Frame.xml";
    std::filesystem::permissions(send, std::filesystem::perms::owner_read);
    EXPECT_EQ(Run({"dbc-import", project, kDbc, "--receive", "EEC1", "--send", "CCVS"}), 1);
    EXPECT_EQ(err, send + " is write-protected. No file was changed.\n");
    EXPECT_FALSE(std::filesystem::exists(project + "/Receive_Frame.xml"));
}

TEST_F(DbcCli, AnImportedProjectPassesTheCheckAndGivesItsGsd) {
    ASSERT_EQ(Run({"dbc-import", project, kDbc, "--receive", "0xF004,DM1", "--send", "RQST"}), 0) << err;
    EXPECT_EQ(out,
              "Receive_Frame.xml: row 1 EEC1\nReceive_Frame.xml: row 2 EEC1_SA1\nReceive_Frame.xml: row 3 DM1\n"
              "Send_Frame.xml: row 1 RQST\n");
    EXPECT_EQ(Run({"check", project}), 0) << err;
    EXPECT_EQ(Run({"gsd", project, dir / "out.gsd"}), 0) << err;
    EXPECT_EQ(Run({"dbc-import", project, kDbc, "--receive", "RQST"}), 1);  // source address 254
    EXPECT_EQ(err, "RQST: source address 254 cannot be received; give the sender's address (--sa)\n");
    EXPECT_EQ(Run({"dbc-import", project, kDbc}), 2);
}

}  // namespace
