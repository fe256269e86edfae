// kestrova-cli canopen on temporary projects.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;

std::string Workbook(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/canopen/" + name; }

class CanopenCli : public ::testing::Test {
protected:
    kestrova::testing::TempDir dir;
    int status = -1;
    std::string out, err;

    void Run(const std::vector<std::string>& arguments) {
        std::string command = "'" KESTROVA_CLI_PATH "' canopen";
        for (const auto& argument : arguments) command += " '" + argument + "'";
        const int raw = std::system((command + " >'" + dir / "out" + "' 2>'" + dir / "err" + "'").c_str());
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        out = ReadText(dir / "out");
        err = ReadText(dir / "err");
    }
};

TEST_F(CanopenCli, SdoImportsAndExportsThroughTheWindowsCoreFunctions) {
    Run({"sdo", dir.path(), "--import", Workbook("canopen.xls"), "--export"});
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(out, "side A: 2 rows\nside B: 2 rows\nexported 3002 lines to " + dir / "sdo.csv" + "\n");
    const std::string csv = ReadText(dir / "sdo.csv");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n", csv.find("\r\n") + 2) + 2),
              "0,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,\r\n0,0x2000,1,5,0x6000,1,2,speed,\r\n");
    EXPECT_NE(csv.find("\r\n17,0x2100,0,7,0x6040,0,2,\"control, word\",\r\n"), std::string::npos);
}

TEST_F(CanopenCli, ImportTakesEveryKindOfWorkbookAndTheExportBack) {
    Run({"sdo", dir.path(), "--import", Workbook("canopen.xls"), "--export"});
    const std::string expected = ReadText(dir / "sdo.csv");
    WriteText(dir / "exported.csv", expected);
    for (const std::string& workbook : {Workbook("canopen.xlsx"), Workbook("canopen.lo.ods"), dir / "exported.csv"}) {
        WriteText(dir / "sdo.csv", "");
        Run({"sdo", dir.path(), "--import", workbook, "--export"});
        EXPECT_EQ(status, 0) << err;
        EXPECT_EQ(ReadText(dir / "sdo.csv"), expected) << workbook;
    }
}

TEST_F(CanopenCli, SdoCountsEveryFilledRowAnEmptyIndexIncluded) {
    WriteText(dir / "sdo.xml",
              "<sdo><row conf=\"16\" IndexA=\"\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
              "nbyteB=\"\"/><row conf=\"0\" IndexA=\"0x2000\" SubindexA=\"1\" devIDB=\"5\" IndexB=\"0x6000\" "
              "SubindexB=\"1\" nbyteB=\"2\"/></sdo>");
    Run({"sdo", dir.path()});
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(out, "side A: 2 rows\nside B: 0 rows\n");
}

TEST_F(CanopenCli, EmcyImportsSavesInIdOrderAndExportsInListOrder) {
    Run({"emcy", dir.path(), "--import", Workbook("canopen.xls"), "--save", "--export"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err, "File XML not found\n");  // a new document, as the window opens it
    const std::string written = ReadText(dir / "emcydef.xml");
    EXPECT_LT(written.find("id_dev=\"3\""), written.find("id_dev=\"20\""));
    EXPECT_EQ(ReadText(dir / "emcydef.csv").substr(0, 3), "20,");
}

TEST_F(CanopenCli, RefusalsPrintTheMessageAndWriteNothing) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"sdo", dir.path(), "--save"}, 1, "canopen sdo: --save is refused, the window's OK writes nothing\n"},
        {{"sdo", dir.path(), "--import", Workbook("no_sdo.xls"), "--export"},
         1,
         "Import of sheet \"sdo\" from " + Workbook("no_sdo.xls") +
             " stopped: the workbook has no sheet named \"sdo\"\n"},
        {{"bus", dir.path()}, 2, "kestrova-cli canopen: unknown KIND 'bus' (sdo, emcy, emcyword or pdo)\n"},
    };
    for (const auto& c : cases) {
        Run(c.arguments);
        EXPECT_EQ(status, c.status) << c.arguments[0];
        EXPECT_EQ(err, c.message);
    }
    WriteText(dir / "sdo.xml", "<sdo><row conf=\"0\"/></sdo>");
    Run({"sdo", dir.path(), "--export"});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "Error in reading file XML\n");
    EXPECT_FALSE(std::ifstream(dir / "sdo.csv").good());
}

}  // namespace
