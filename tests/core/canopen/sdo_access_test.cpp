#include "core/canopen/sdo_access.h"

#include <gtest/gtest.h>

#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

std::string Workbook(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/canopen/" + name; }

std::string Row(const std::string& conf, const std::string& index, const std::string& extra = " mnemonico=\"m\"") {
    return "<row conf=\"" + conf + "\" IndexA=\"" + index +
           "\" SubindexA=\"1\" devIDB=\"5\" IndexB=\"0x6000\" SubindexB=\"2\" nbyteB=\"4\"" + extra + "/>";
}

// The RW cell and the Index cell of a table's first rows.
std::vector<std::string> Cells(const std::vector<TableRow>& table, size_t rows) {
    std::vector<std::string> cells;
    for (size_t row = 0; row < rows; ++row) cells.push_back(table[row][kSdoRw] + " " + table[row][kSdoIndexA]);
    return cells;
}

class SdoAccess : public ::testing::Test {
protected:
    testing::TempDir dir;
    SdoAccessLoad Load(const std::string& rows) {
        testing::WriteText(dir / "sdo.xml", "<anything>" + rows + "</anything>");
        return LoadSdoAccess(dir / "sdo.xml");
    }
};

TEST_F(SdoAccess, Bit0OfConfChoosesTheTableAndBit4TheRwFlag) {
    const SdoAccessLoad none = LoadSdoAccess(dir / "sdo.xml");
    EXPECT_TRUE(!none.message && none.tables.sides == EmptySdoAccessTables().sides);
    const SdoAccessLoad load = Load(Row("0", "a1") + Row("17", "b1") + Row("16", "a2") + Row("1", "b2") +
                                    Row("$11", "b3") + Row("x12", "a3") + Row("0", "a4", ""));
    EXPECT_FALSE(load.message);
    const auto& a = load.tables.Side(CanSide::A);
    EXPECT_EQ(a[0], (TableRow{"0", "a1", "1", "5", "0x6000", "2", "4", "m"}));
    EXPECT_EQ(Cells(a, 5), (std::vector<std::string>{"0 a1", "1 a2", "1 a3", "0 a4", " "}));
    EXPECT_EQ(a[3][kSdoMnemonic], "");
    EXPECT_EQ(Cells(load.tables.Side(CanSide::B), 3), (std::vector<std::string>{"1 b1", "0 b2", "1 b3"}));
}

TEST_F(SdoAccess, ARowThatCannotBeReadStopsTheLoadingAndEarlierRowsStay) {
    std::string full;
    for (size_t i = 0; i <= kSdoAccessRows; ++i) full += Row("1", std::to_string(i));
    for (const std::string& bad : {
             std::string("<row conf=\"0\" IndexA=\"a\" SubindexA=\"1\" devIDB=\"5\" IndexB=\"1\" SubindexB=\"2\"/>"),
             std::string("<row IndexA=\"a\" SubindexA=\"1\" devIDB=\"5\" IndexB=\"1\" SubindexB=\"2\" nbyteB=\"1\"/>"),
             Row("1 ", "bad"),
             full,  // one row more than side B's table holds
         }) {
        const SdoAccessLoad load = Load(Row("0", "a1") + Row("1", "0") + bad + Row("0", "after"));
        EXPECT_EQ(load.message, std::optional<std::string>("Error in reading file XML"));
        EXPECT_EQ(Cells(load.tables.Side(CanSide::A), 2), (std::vector<std::string>{"0 a1", " "}));
        EXPECT_EQ(load.tables.Side(CanSide::B)[0][kSdoIndexA], "0");
    }
}

TEST_F(SdoAccess, ExportWrites1501LinesPerTableEmptyRowsIncluded) {
    SdoAccessTables tables = Load(Row("0", "a1") + Row("17", "b1") + Row("16", "a2") + Row("1", "b2")).tables;
    tables.Side(CanSide::A)[1][kSdoRw] = "1 ";  // anything but exactly "1" is not set
    const std::vector<CsvLine> lines = SdoAccessExportLines(tables);
    ASSERT_EQ(lines.size(), 3002u);
    const std::string header = "Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,\r\n";
    EXPECT_EQ(CsvText({lines[0], lines[1], lines[2], lines[3]}),
              "0," + header + "0,a1,1,5,0x6000,2,4,m,\r\n0,a2,1,5,0x6000,2,4,m,\r\n0,,,,,,,,\r\n");
    EXPECT_EQ(CsvText({lines[1501], lines[1502], lines[1503], lines[3001]}),
              "1," + header + "17,b1,1,5,0x6000,2,4,m,\r\n1,b2,1,5,0x6000,2,4,m,\r\n1,,,,,,,,\r\n");
}

TEST(SdoAccessImport, RecordsFillTheEmptiedTablesByField0) {
    SdoAccessTables tables = EmptySdoAccessTables();
    tables.Side(CanSide::A)[3][kSdoIndexA] = "left over";
    testing::RecordingDialogs dialogs;
    EXPECT_TRUE(ImportSdoAccess(dialogs, Workbook("canopen.xls"), tables));
    const auto& a = tables.Side(CanSide::A);
    EXPECT_EQ(a[0], (TableRow{"0", "0x2000", "1", "5", "0x6000", "1", "2", "speed"}));
    EXPECT_EQ(a[1], (TableRow{"1", "0x2001", "2", "5", "0x6001", "", "4", ""}));
    EXPECT_EQ(Cells(a, 4)[3], " ");
    EXPECT_EQ(tables.Side(CanSide::B)[0], (TableRow{"1", "0x2100", "0", "7", "0x6040", "0", "2", "control, word"}));
    EXPECT_EQ(Cells(tables.Side(CanSide::B), 2)[1], "0 0x2101");

    EXPECT_FALSE(ImportSdoAccess(dialogs, Workbook("bad_record.xls"), tables));
    EXPECT_EQ(Cells(a, 2), (std::vector<std::string>{"0 0x2000", " "}));
    EXPECT_EQ(tables.Side(CanSide::B)[0][kSdoIndexA], "");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("record 2 (sheet row 3): 'x' is not a valid integer value"),
              std::string::npos);
}

}  // namespace
}  // namespace kestrova
