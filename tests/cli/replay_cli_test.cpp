// kestrova-cli replay on the recorded bus of tests/data/replay in its three formats.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;

struct CliResult {
    int status = -1;
    std::string out, err;
};

std::string ReplayData(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/replay/" + name; }

class ReplayCli : public ::testing::Test {
protected:
    kestrova::testing::TempDir dir;
    std::string project = dir / "project";

    void SetUp() override {
        std::filesystem::copy(ReplayData("project"), project, std::filesystem::copy_options::recursive);
    }
    // No argument of these tests holds a single quote.
    CliResult Cli(const std::vector<std::string>& arguments) {
        std::string command = "'" + std::string(KESTROVA_CLI_PATH) + "'";
        for (const auto& argument : arguments) command += " '" + argument + "'";
        const int raw = std::system((command + " >'" + (dir / "out") + "' 2>'" + (dir / "err") + "'").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir / "out"), ReadText(dir / "err")};
    }
    // The CSV without its time column.
    static std::string WithoutTimes(const std::string& csv) {
        std::string out;
        for (size_t at = 0; at < csv.size();) {
            const size_t end = csv.find('\n', at);
            const std::string line = csv.substr(at, end - at);
            out += line.substr(line.find(',') + 1) + "\n";
            at = end == std::string::npos ? csv.size() : end + 1;
        }
        return out;
    }
};

TEST_F(ReplayCli, SummaryAndCsvForEveryTraceFormat) {
    const CliResult log = Cli({"replay", project, ReplayData("bus.log"), "--csv", dir / "log.csv"});
    ASSERT_EQ(log.status, 0) << log.err;
    for (const char* part : {"2 transport-protocol messages completed",
                             "  1    Vehicle speed            0   0xFEF1  0   N   10       1436509052.000000  "
                             "1436509052.900000  100.0 ms\n",
                             "Rows never matched:\n  row 4 (Engine hours): DP 0, PGN 0xFEE5, SA 0\n",
                             "  0   0xF004  0   10     100.0 ms\n",
                             "  standard (11-bit) frames: 1\n  frames with the extended data page bit: 1\n",
                             "Input data at the end of the trace:\nPROFIBUS input data (44 bytes)\n",
                             "DM1                      01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14\n",
                             "Software identification  34 35 36 37 38 39 3A 3B\n"})
        EXPECT_NE(log.out.find(part), std::string::npos) << part << "\n" << log.out;
    const std::string csv = ReadText(dir / "log.csv");
    EXPECT_EQ(csv.rfind("time,row,offset,bytes\r\n1436509052.000000,1,0,0010020304050607\r\n", 0), 0u) << csv;
    EXPECT_NE(csv.find("1436509052.400000,2,8,0102030405060708090A0B0C0D0E0F1011121314\r\n"), std::string::npos);
    EXPECT_NE(csv.find("1436509052.550000,3,28,3435363738393A3B\r\n"), std::string::npos);

    // candump's screen format with the same absolute times: the same replay
    const CliResult screen = Cli({"replay", project, ReplayData("bus_screen.txt"), "--csv", dir / "screen.csv"});
    ASSERT_EQ(screen.status, 0) << screen.err;
    EXPECT_EQ(screen.out.substr(screen.out.find('\n')), log.out.substr(log.out.find('\n')));
    EXPECT_EQ(ReadText(dir / "screen.csv"), csv);

    // log2asc's ASC file: times from the start of the trace, three header lines more
    const CliResult asc = Cli({"replay", project, ReplayData("bus.asc"), "--csv", dir / "asc.csv"});
    ASSERT_EQ(asc.status, 0) << asc.err;
    EXPECT_EQ(WithoutTimes(ReadText(dir / "asc.csv")), WithoutTimes(csv));
    EXPECT_NE(asc.out.find("10       0.000000  0.900000  100.0 ms\n"), std::string::npos) << asc.out;
    EXPECT_NE(asc.out.find("  header lines: 3\n"), std::string::npos);
    EXPECT_EQ(asc.out.substr(asc.out.find("Input data at")), log.out.substr(log.out.find("Input data at")));
}

TEST_F(ReplayCli, InputDataAtSecondsAfterTheFirstFrame) {
    const CliResult at = Cli({"replay", project, ReplayData("bus.log"), "--at", "0.35"});
    ASSERT_EQ(at.status, 0) << at.err;
    EXPECT_NE(at.out.find("Input data 0.35 s after the first frame:\n"), std::string::npos);
    EXPECT_NE(at.out.find("Vehicle speed            03 13 02 03 04 05 06 07\n"), std::string::npos) << at.out;
    EXPECT_NE(at.out.find("DM1                      00 00 00"), std::string::npos);  // complete at 0.4 s
    EXPECT_EQ(Cli({"replay", project, ReplayData("bus.log"), "--at", "soon"}).status, 2);
}

TEST_F(ReplayCli, RefusalsExitWithOne) {
    WriteText(dir / "empty.log", "");
    const CliResult empty = Cli({"replay", project, dir / "empty.log", "--csv", dir / "out.csv"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "The trace " + (dir / "empty.log") + " holds no CAN frame.\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.csv"));

    // one module per frame with a 65-byte transport-protocol row: the limits check's message
    std::string pargen = ReadText(project + "/pargen.xml");
    pargen.replace(pargen.find("<Profi_Module>0"), 15, "<Profi_Module>1");
    WriteText(project + "/pargen.xml", pargen);
    std::string rows = ReadText(project + "/Receive_Frame.xml");
    rows.replace(rows.find("TP_NByte=\"20\""), 13, "TP_NByte=\"65\"");
    WriteText(project + "/Receive_Frame.xml", rows);
    const CliResult check = Cli({"check", project});
    const CliResult refused = Cli({"replay", project, ReplayData("bus.log")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, check.err);
    EXPECT_NE(refused.err.find("Error!! Is not possible to create a module greater of 64 byte."), std::string::npos);
    EXPECT_EQ(refused.out, "");
}

TEST_F(ReplayCli, ListedInTheHelp) {
    const CliResult help = Cli({"--help"});
    EXPECT_NE(help.out.find("  replay PROJECT_DIR TRACE [--csv OUT.csv] [--at SECONDS]\n"), std::string::npos);
    EXPECT_EQ(Cli({"replay", project}).status, 2);
}

}  // namespace
