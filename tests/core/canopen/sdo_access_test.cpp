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

class SdoAccess : public ::testing::Test {
protected:
    testing::TempDir dir;
    SdoAccessLoad Load(const std::string& rows) {
        testing::WriteText(dir / "sdo.xml", "<anything>" + rows + "</anything>");
        return LoadSdoAccess(dir / "sdo.xml");
    }
};

TEST_F(SdoAccess, Bit0OfConfChoosesTheTableAndBit4TheRwFlag) {
    const SdoAccessLoad load =
        Load(Row("0", "a1") + Row("17", "b1") + Row("16", "a2") + Row("1", "b2") + Row("$11", "b3") + Row("x12", "a3"));
    EXPECT_FALSE(load.message);
    const auto& a = load.tables.Side(CanSide::A);
    const auto& b = load.tables.Side(CanSide::B);
    EXPECT_EQ(a[0], (TableRow{"0", "a1", "1", "5", "0x6000", "2", "4", "m"}));
    EXPECT_EQ((std::vector<std::string>{a[1][kSdoRw], a[1][kSdoIndexA], a[2][kSdoRw], a[2][kSdoIndexA]}),
              (std::vector<std::string>{"1", "a2", "1", "a3"}));
    EXPECT_EQ((std::vector<std::string>{b[0][kSdoRw], b[1][kSdoRw], b[2][kSdoRw]}),
              (std::vector<std::string>{"1", "0", "1"}));
    EXPECT_EQ(a[3], TableRow(kSdoColumnCount));
    EXPECT_EQ(a.size(), kSdoAccessRows);
}

TEST_F(SdoAccess, OnlyTheMnemonicMayBeAbsent) {
    const SdoAccessLoad load = Load(Row("0", "a1", ""));
    EXPECT_FALSE(load.message);
    EXPECT_EQ(load.tables.Side(CanSide::A)[0][kSdoMnemonic], "");

    const struct {
        std::string badRow;
    } cases[] = {
        {"<row conf=\"0\" IndexA=\"a\" SubindexA=\"1\" devIDB=\"5\" IndexB=\"1\" SubindexB=\"2\"/>"},    // no nbyteB
        {"<row IndexA=\"a\" SubindexA=\"1\" devIDB=\"5\" IndexB=\"1\" SubindexB=\"2\" nbyteB=\"1\"/>"},  // no conf
        {Row("1 ", "bad")},  // conf not an integer
    };
    for (const auto& c : cases) {
        const SdoAccessLoad stopped = Load(Row("0", "a1") + Row("1", "b1") + c.badRow + Row("0", "after"));
        EXPECT_EQ(stopped.message, std::optional<std::string>("Error in reading file XML")) << c.badRow;
        EXPECT_EQ(stopped.tables.Side(CanSide::A)[0][kSdoIndexA], "a1");
        EXPECT_EQ(stopped.tables.Side(CanSide::B)[0][kSdoIndexA], "b1");
        EXPECT_EQ(stopped.tables.Side(CanSide::A)[1][kSdoIndexA], "");
    }
}

TEST_F(SdoAccess, AMissingDocumentGivesEmptyTablesWithoutAMessage) {
    const SdoAccessLoad load = LoadSdoAccess(dir / "sdo.xml");
    EXPECT_FALSE(load.message);
    EXPECT_EQ(load.tables.Side(CanSide::B), EmptySdoAccessTables().Side(CanSide::B));
}

TEST_F(SdoAccess, ARowBeyondTheTablesCapacityStopsTheLoading) {
    std::string rows;
    for (size_t i = 0; i <= kSdoAccessRows; ++i) rows += Row("1", std::to_string(i));
    const SdoAccessLoad load = Load(rows);
    EXPECT_EQ(load.message, std::optional<std::string>("Error in reading file XML"));
    EXPECT_EQ(load.tables.Side(CanSide::B).back()[kSdoIndexA], "1499");
}

TEST_F(SdoAccess, ExportWrites1501LinesPerTableEmptyRowsIncluded) {
    SdoAccessTables tables = Load(Row("0", "a1") + Row("17", "b1") + Row("16", "a2") + Row("1", "b2")).tables;
    tables.Side(CanSide::A)[1][kSdoRw] = "1 ";  // anything but exactly "1" is not set
    const std::vector<CsvLine> lines = SdoAccessExportLines(tables);
    ASSERT_EQ(lines.size(), 3002u);
    const CsvLine header{"Index", "Subindex", "devID", "Index", "Subindex", "nbyte", "mnemonico"};
    for (size_t at : {0, 1501}) {
        EXPECT_EQ(lines[at].size(), 8u);
        EXPECT_EQ(CsvLine(lines[at].begin() + 1, lines[at].end()), header);
    }
    EXPECT_EQ(lines[0][0], "0");
    EXPECT_EQ(lines[1501][0], "1");
    EXPECT_EQ(lines[1], (CsvLine{"0", "a1", "1", "5", "0x6000", "2", "4", "m"}));
    EXPECT_EQ(lines[2][0], "0");
    EXPECT_EQ(lines[1502][0], "17");
    EXPECT_EQ(lines[1503][0], "1");
    EXPECT_EQ(CsvText({lines[3]}), "0,,,,,,,,\r\n");
    EXPECT_EQ(CsvText({lines[3001]}), "1,,,,,,,,\r\n");
}

TEST(SdoAccessImport, RecordsFillTheTablesByField0AfterEmptyingThem) {
    SdoAccessTables tables = EmptySdoAccessTables();
    tables.Side(CanSide::A)[3][kSdoIndexA] = "left over";
    testing::RecordingDialogs dialogs;
    EXPECT_TRUE(ImportSdoAccess(dialogs, Workbook("canopen.xls"), tables));
    EXPECT_TRUE(dialogs.messages.empty());
    const auto& a = tables.Side(CanSide::A);
    const auto& b = tables.Side(CanSide::B);
    EXPECT_EQ(a[0], (TableRow{"0", "0x2000", "1", "5", "0x6000", "1", "2", "speed"}));
    EXPECT_EQ(a[1], (TableRow{"1", "0x2001", "2", "5", "0x6001", "", "4", ""}));
    EXPECT_EQ(b[0], (TableRow{"1", "0x2100", "0", "7", "0x6040", "0", "2", "control, word"}));
    EXPECT_EQ(b[1][kSdoRw], "0");
    EXPECT_EQ(a[3][kSdoIndexA], "");
}

TEST(SdoAccessImport, AFailingImportKeepsTheRecordsBeforeTheFailure) {
    testing::RecordingDialogs dialogs;
    SdoAccessTables tables = EmptySdoAccessTables();
    tables.Side(CanSide::B)[0][kSdoIndexA] = "left over";
    EXPECT_FALSE(ImportSdoAccess(dialogs, Workbook("no_sdo.xls"), tables));
    EXPECT_EQ(tables.Side(CanSide::B)[0][kSdoIndexA], "");

    EXPECT_FALSE(ImportSdoAccess(dialogs, Workbook("bad_record.xls"), tables));
    EXPECT_EQ(tables.Side(CanSide::A)[0][kSdoIndexA], "0x2000");
    EXPECT_EQ(tables.Side(CanSide::B)[0][kSdoIndexA], "");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[1].text.find("at record 2 (sheet row 3): 'x' is not a valid integer value"),
              std::string::npos);
}

TEST(SdoAccessImport, ARecordBeyondASidesTableIsRefused) {
    SdoAccessTables tables = EmptySdoAccessTables();
    SdoAccessImport import(tables);
    const SpreadsheetRecord sideB({std::string("1"), std::string("i"), std::nullopt, std::nullopt, std::nullopt,
                                   std::nullopt, std::nullopt, std::nullopt});
    for (size_t i = 0; i < kSdoAccessRows; ++i) import(sideB);
    EXPECT_THROW(import(sideB), Error);
    EXPECT_EQ(tables.Side(CanSide::B).back()[kSdoIndexA], "i");
}

}  // namespace
}  // namespace kestrova
