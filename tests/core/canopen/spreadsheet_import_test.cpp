#include "core/canopen/spreadsheet_import.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/error_text.h"
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

TEST(SpreadsheetImport, FirstRowNamesTheFieldsAndSheetsAreFoundWithoutRegardToCase) {
    const auto records = Records(Workbook("canopen.xls"), "sdo");  // the sheet "SDO"; numbers read as shown
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"0", "0x2000", "1", "5", "0x6000", "1", "2", "speed"}));
    EXPECT_EQ(records[1][7], "control, word");
    EXPECT_EQ(records[2], (std::vector<std::string>{"16", "0x2001", "2", "5", "0x6001", "<null>", "4", "<null>"}));
    EXPECT_EQ(Records(Workbook("canopen.xls"), "emcydef").size(), 3u);
    EXPECT_EQ(Records(Workbook("canopen.xls"), "emcyword").at(0).size(), 52u);  // the sheet "EmcyWord"
    EXPECT_EQ(Records(Workbook("canopen.xls"), "sdopdo").size(), 3u);
}

TEST(SpreadsheetImport, FailuresNameTheFileTheSheetAndTheRecord) {
    testing::TempDir dir;
    testing::WriteText(dir / "text.xls", "conf,IndexA\r\n0,1\r\n");
    const auto ignore = [](const SpreadsheetRecord&) {};
    const std::string stopped = "Import of sheet \"sdo\" from ";
    for (const auto& [workbook, reason] : std::vector<std::pair<std::string, std::string>>{
             {dir / "absent.xls", " stopped: the file does not exist"},
             {dir.path(), " stopped: the file does not exist"},
             {dir / "text.xls", " stopped: the file is not an Excel workbook (.xls)"},
             {Workbook("no_sdo.xls"), " stopped: the workbook has no sheet named \"sdo\""},
         })
        EXPECT_EQ(ErrorText([&] { ReadSpreadsheetSheet(workbook, "sdo", ignore); }), stopped + workbook + reason);

    size_t handled = 0;
    const std::string message = ErrorText([&] {
        ReadSpreadsheetSheet(Workbook("bad_record.xls"), "sdo", [&](const SpreadsheetRecord& record) {
            if (record.Text(0) == "x") throw Error("'x' is not a valid integer value");
            ++handled;
        });
    });
    EXPECT_EQ(handled, 1u);
    EXPECT_EQ(message, stopped + Workbook("bad_record.xls") +
                           " stopped at record 2 (sheet row 3): 'x' is not a valid integer value");
}

TEST(SpreadsheetImport, FieldsReadDirectlyOrBeyondTheColumnsFail) {
    const SpreadsheetRecord record({std::string("1"), std::nullopt});
    EXPECT_EQ(record.Text(1), "");
    EXPECT_EQ(ErrorText([&] { record.Direct(1); }), "column B is empty");
    EXPECT_EQ(ErrorText([&] { record.Text(2); }), "the sheet has no column C (it has 2 columns)");
}

}  // namespace
}  // namespace kestrova
