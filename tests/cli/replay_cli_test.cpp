// kestrova-cli replay on the recorded bus of tests/data/replay in its three formats.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <regex>
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
        return std::regex_replace(csv, std::regex("[^,\n]*,([^\n]*\n)"), "$1");
    }
};

TEST_F(ReplayCli, SummaryAndCsvForEveryTraceFormat) {
    const CliResult log = Cli({"replay", project, ReplayData("bus.log"), "--csv", dir / "log.csv"});
    ASSERT_EQ(log.status, 0) << log.err;
    for (const char* part : {"2 transport-protocol messages completed",
                             "Rows never matched:\n  row 4 (Engine hours): DP 0, PGN 0xFEE5, SA 0\n",
                             "  frames with the extended data page bit: 1\n",
                             "DM1                      01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14\n"})
        EXPECT_NE(log.out.find(part), std::string::npos) << part << "\n" << log.out;
    const std::string csv = ReadText(dir / "log.csv");
    EXPECT_EQ(csv.rfind("time,row,offset,bytes\r\n1436509052.000000,1,0,0010020304050607\r\n", 0), 0u) << csv;
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
    EXPECT_NE(at.out.find("Vehicle speed            03 13 02 03 04 05 06 07\n"), std::string::npos) << at.out;
    EXPECT_NE(at.out.find("DM1                      00 00 00"), std::string::npos);  // complete at 0.4 s
    EXPECT_EQ(Cli({"replay", project, ReplayData("bus.log"), "--at", "soon"}).status, 2);
    EXPECT_EQ(Cli({"replay", project}).status, 2);
}

TEST_F(ReplayCli, EmptyTraceRefusedWithoutACsv) {
    WriteText(dir / "empty.log", "");
    const CliResult empty = Cli({"replay", project, dir / "empty.log", "--csv", dir / "out.csv"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "The trace " + (dir / "empty.log") + " holds no CAN frame.\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.csv"));
}

}  // namespace
