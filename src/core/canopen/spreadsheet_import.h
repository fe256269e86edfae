#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/project/dialogs.h"

namespace kestrova {

// The open-file dialog's filter of every CANopen window's Import.
inline constexpr const char* kWorkbookFilter = "File EXCEL (*.xls)|*.xls";

// One record of a sheet: the row's cells by position (0, 1, 2...); an empty cell is null.
// Numbers read as the text a spreadsheet shows for them ("17", "0.5").
class SpreadsheetRecord {
public:
    explicit SpreadsheetRecord(std::vector<std::optional<std::string>> fields) : fields_(std::move(fields)) {}

    size_t Size() const { return fields_.size(); }
    bool IsNull(size_t position) const;
    // The field as text, null giving the empty text; throws Error when the sheet has no such
    // field (fewer columns than the window expects).
    std::string Text(size_t position) const;
    // A field read directly: null is an error too.
    std::string Direct(size_t position) const;

private:
    std::vector<std::optional<std::string>> fields_;
};

using SpreadsheetRecordHandler = std::function<void(const SpreadsheetRecord&)>;

// Reads the sheet named `sheetName` (found without regard to case) of the .xls workbook at
// `workbookPath`: the first row holds the field names, every row after it is one record,
// handed to `handleRecord` in sheet order. Rows after the last one holding a value are not
// records. Throws Error naming the file and the sheet, and the record number (1 = the row
// after the field names) when a record fails, also when `handleRecord` throws Error; the
// records handled before the failure stay handled.
void ReadSpreadsheetSheet(const std::string& workbookPath, const std::string& sheetName,
                          const SpreadsheetRecordHandler& handleRecord);

// The Import of a CANopen window after the file was chosen: reads the sheet as above and
// shows a failure in a plain message box. Returns whether the whole sheet was imported.
bool ImportSpreadsheetSheet(Dialogs& dialogs, const std::string& workbookPath, const std::string& sheetName,
                            const SpreadsheetRecordHandler& handleRecord);

}  // namespace kestrova
