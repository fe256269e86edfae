#include "core/canopen/spreadsheet_import.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/error_text.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ErrorText;

std::string Workbook(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/canopen/" + name; }

// Every record of the sheet, null fields as "<null>".
std::vector<std::vector<std::string>> Records(const std::string& workbook, const std::string& sheet) {
    std::vector<std::vector<std::string>> records;
    ReadSpreadsheetSheet(workbook, sheet, [&](const SpreadsheetRecord& record) {
        std::vector<std::string> fields;
        for (size_t i = 0; i < record.Size(); ++i) fields.push_back(record.IsNull(i) ? "<null>" : record.Text(i));
        records.push_back(fields);
    });
    return records;
}

TEST(SpreadsheetImport, FirstRowNamesTheFieldsAndEveryLaterRowIsARecord) {
    // the sheet is called "SDO": found by the lower-case name; numbers read as shown
    const auto records = Records(Workbook("canopen.xls"), "sdo");
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"0", "0x2000", "1", "5", "0x6000", "1", "2", "speed"}));
    EXPECT_EQ(records[1][7], "control, word");
    EXPECT_EQ(records[2], (std::vector<std::string>{"16", "0x2001", "2", "5", "0x6001", "<null>", "4", "<null>"}));
    EXPECT_EQ(records[3][0], "1");
}

TEST(SpreadsheetImport, EverySheetOfTheSharedWorkbookIsFoundWithoutRegardToCase) {
    EXPECT_EQ(Records(Workbook("canopen.xls"), "emcydef").size(), 3u);
    EXPECT_EQ(Records(Workbook("canopen.xls"), "emcyword").at(0).size(), 52u);
    EXPECT_EQ(Records(Workbook("canopen.xls"), "sdopdo").size(), 3u);
}

TEST(SpreadsheetImport, FailuresNameTheFileTheSheetAndTheRecord) {
    testing::TempDir dir;
    testing::WriteText(dir / "text.xls", "conf,IndexA\r\n0,1\r\n");
    const auto ignore = [](const SpreadsheetRecord&) {};
    struct Case {
        std::string workbook, sheet, message;
    } cases[] = {
        {dir / "absent.xls", "sdo",
         "Import of sheet \"sdo\" from " + dir / "absent.xls" + " stopped: the file does not exist"},
        {dir.path(), "sdo", "Import of sheet \"sdo\" from " + dir.path() + " stopped: the file does not exist"},
        {dir / "text.xls", "sdo",
         "Import of sheet \"sdo\" from " + dir / "text.xls" + " stopped: the file is not an Excel workbook (.xls)"},
        {Workbook("no_sdo.xls"), "sdo",
         "Import of sheet \"sdo\" from " + Workbook("no_sdo.xls") +
             " stopped: the workbook has no sheet named \"sdo\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorText([&] { ReadSpreadsheetSheet(c.workbook, c.sheet, ignore); }), c.message);
}

TEST(SpreadsheetImport, ARecordThatFailsStopsTheImportAfterTheRecordsBeforeIt) {
    size_t handled = 0;
    const std::string message = ErrorText([&] {
        ReadSpreadsheetSheet(Workbook("bad_record.xls"), "sdo", [&](const SpreadsheetRecord& record) {
            record.Direct(5);  // column F is empty in the third record
            if (record.Text(0) == "x") throw Error("'x' is not a valid integer value");
            ++handled;
        });
    });
    EXPECT_EQ(handled, 1u);
    EXPECT_EQ(message, "Import of sheet \"sdo\" from " + Workbook("bad_record.xls") +
                           " stopped at record 2 (sheet row 3): 'x' is not a valid integer value");
}

TEST(SpreadsheetImport, FieldsReadDirectlyOrBeyondTheColumnsFail) {
    const SpreadsheetRecord record({std::string("1"), std::nullopt});
    EXPECT_EQ(record.Text(1), "");
    EXPECT_EQ(ErrorText([&] { record.Direct(1); }), "column B is empty");
    EXPECT_EQ(ErrorText([&] { record.Text(2); }), "the sheet has no column C (it has 2 columns)");
}

TEST(SpreadsheetImport, TheWindowsImportShowsTheFailure) {
    testing::RecordingDialogs dialogs;
    EXPECT_FALSE(ImportSpreadsheetSheet(dialogs, Workbook("no_sdo.xls"), "sdo", [](const SpreadsheetRecord&) {}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Plain);
    EXPECT_TRUE(ImportSpreadsheetSheet(dialogs, Workbook("canopen.xls"), "sdo", [](const SpreadsheetRecord&) {}));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

}  // namespace
}  // namespace kestrova
