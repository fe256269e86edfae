// kestrova-cli dbc-list and dbc-import on the DBC file written by canmatrix.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;

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

TEST_F(DbcCli, TheSendersAddressForANullAddressDatabase) {
    const std::string file = kData + "j1939_null_address.dbc";
    EXPECT_EQ(Run({"dbc-import", project, file, "--receive", "EEC1", "--sa", "300"}), 2);
    EXPECT_EQ(err, "kestrova-cli dbc-import: --sa takes a source address from 0 to 255, not '300'\n");
    ASSERT_EQ(Run({"dbc-import", project, file, "--receive", "EEC1,CCVS", "--sa", "0"}), 0) << err;
    EXPECT_EQ(out, "Receive_Frame.xml: row 1 EEC1\nReceive_Frame.xml: row 2 CCVS\n");
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
