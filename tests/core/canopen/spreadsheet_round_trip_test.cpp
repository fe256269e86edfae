// Each CANopen window's Import reads the same tables and lists from every kind of workbook, and
// the CSV file its Export writes imports back to the same tables and lists.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/canopen/csv_export.h"
#include "core/canopen/emcy_translation.h"
#include "core/canopen/emcy_word.h"
#include "core/canopen/sdo_access.h"
#include "core/canopen/stored_pdo.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

std::string Workbook(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/canopen/" + name; }

// A window's Import from a workbook, giving the bytes of its Export afterwards.
struct Window {
    std::string sheet;
    std::function<std::string(Dialogs&, const std::string& workbook)> importThenExport;
};

std::vector<Window> Windows() {
    return {
        {kSdoAccessSheet,
         [](Dialogs& dialogs, const std::string& workbook) {
             SdoAccessTables tables = EmptySdoAccessTables();
             ImportSdoAccess(dialogs, workbook, tables);
             return CsvText(SdoAccessExportLines(tables));
         }},
        {kEmcySheet,
         [](Dialogs& dialogs, const std::string& workbook) {
             EmcyPages pages;
             ImportEmcyTranslation(dialogs, workbook, pages);
             return CsvText(EmcyExportLines(pages));
         }},
        {kEmcyWordSheet,
         [](Dialogs& dialogs, const std::string& workbook) {
             EmcyWordPages pages;
             ImportEmcyWords(dialogs, workbook, pages);
             return CsvText(EmcyWordExportLines(pages));
         }},
        {kSdoPdoSheet,
         [](Dialogs& dialogs, const std::string& workbook) {
             StoredPdoPages pages;
             pages.Side(CanSide::A).pdos = {{"p1", 1, {}}, {"p2", 2, {}}};
             pages.Side(CanSide::B).pdos = {{"q1", 1, {}}, {"q2", 2, {}}};
             ImportStoredPdos(dialogs, workbook, pages);
             return CsvText(StoredPdoExportLines(pages));
         }},
    };
}

TEST(SpreadsheetRoundTrip, EveryKindOfWorkbookGivesTheSameTablesAndLists) {
    for (const Window& window : Windows()) {
        testing::RecordingDialogs dialogs;
        const std::string expected = window.importThenExport(dialogs, Workbook("canopen.xls"));
        for (const char* workbook : {"canopen.xlsx", "canopen.lo.xlsx", "canopen.ods", "canopen.lo.ods"})
            EXPECT_EQ(window.importThenExport(dialogs, Workbook(workbook)), expected)
                << window.sheet << " " << workbook;
        EXPECT_EQ(window.importThenExport(dialogs, Workbook("canopen." + window.sheet + ".csv")), expected)
            << window.sheet;
        EXPECT_TRUE(dialogs.messages.empty()) << window.sheet << ": " << dialogs.messages.at(0).text;
    }
}

TEST(SpreadsheetRoundTrip, TheExportOfEachWindowImportsBackAsItWas) {
    for (const Window& window : Windows()) {
        testing::TempDir project;
        ProjectContext context;
        context.projectDirectory = project.path();
        testing::RecordingDialogs dialogs;
        const std::string exported = window.importThenExport(dialogs, Workbook("canopen.xls"));
        ASSERT_GT(exported.size(), 20u) << window.sheet;
        testing::WriteText(CsvExportPath(context, window.sheet), exported);
        EXPECT_EQ(window.importThenExport(dialogs, CsvExportPath(context, window.sheet)), exported) << window.sheet;
        EXPECT_TRUE(dialogs.messages.empty()) << window.sheet << ": " << dialogs.messages.at(0).text;
    }
}

}  // namespace
}  // namespace kestrova
