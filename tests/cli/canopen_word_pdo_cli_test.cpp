// kestrova-cli canopen emcyword and pdo on temporary projects.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;

struct Run {
    int status = -1;
    std::string out, err;
};

Run Canopen(const kestrova::testing::TempDir& dir, const std::vector<std::string>& arguments) {
    std::string command = "'" KESTROVA_CLI_PATH "' canopen";
    for (const auto& argument : arguments) command += " '" + argument + "'";
    const int raw = std::system((command + " >'" + dir / "out" + "' 2>'" + dir / "err" + "'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir / "out"), ReadText(dir / "err")};
}

const std::string kWorkbook = std::string(KESTROVA_TEST_DATA) + "/canopen/canopen.xls";

TEST(CanopenWordAndPdoCli, ImportSaveAndExportRoundTripAndARefusedSaveWritesNothing) {
    kestrova::testing::TempDir dir;
    auto run = Canopen(dir, {"emcyword", dir.path(), "--import", kWorkbook, "--save", "--export"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "File XML not found\n");
    EXPECT_EQ(run.out, "side A: 1 words\nside B: 1 words\nwritten " + dir / "emcyword.xml" + "\nexported 2 lines to " +
                           dir / "emcyword.csv" + "\n");
    run = Canopen(dir, {"emcyword", dir.path()});
    EXPECT_EQ(run.out, "side A: 1 words\nside B: 1 words\n") << "the written document loads again";

    WriteText(dir / "rpdodef.xml", "<r><row cobid=\"1\" en_bypass=\"0\"/><row cobid=\"2\" en_bypass=\"2\"/></r>");
    run = Canopen(dir, {"pdo", dir.path(), "--import", kWorkbook, "--save", "--export"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "File SDO XML not found\nFile SDOPDO XML not found\n");
    EXPECT_EQ(ReadText(dir / "sdopdo.xml"),
              "<sdopdo><row index=\"0x2000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"56\"/>"
              "<row index=\"0x2001\" subindex=\"2\" nrpdo=\"129\" poscomp=\"3\"/></sdopdo>");
    EXPECT_EQ(ReadText(dir / "sdopdo.csv"), "0x2000,1,1,56,\r\n0x2001,2,129,3,\r\n");

    WriteText(dir / "sdopdo.xml", "<sdopdo><row index=\"one\" subindex=\"1\" nrpdo=\"1\" poscomp=\"0\"/></sdopdo>");
    std::remove((dir / "sdopdo.csv").c_str());
    run = Canopen(dir, {"pdo", dir.path(), "--save", "--export"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "File SDO XML not found\n'one' is not a valid integer value\n");
    EXPECT_FALSE(std::ifstream(dir / "sdopdo.csv").good());
    WriteText(dir / "sdopdo.xml", "<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"128\" poscomp=\"0\"/></sdopdo>");
    EXPECT_EQ(Canopen(dir, {"pdo", dir.path()}).status, 1) << "a document that cannot be read whole";
}

}  // namespace
