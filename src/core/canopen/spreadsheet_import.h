#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/project/dialogs.h"

namespace kestrova {

// The open-file dialog's filter of every CANopen window's Import: the four kinds of workbook the
// import reads, then every file (the kind is told by the content, not by the name).
inline constexpr const char* kWorkbookFilter =
    "Spreadsheets (*.xls *.xlsx *.ods *.csv)|*.xls;*.xlsx;*.ods;*.csv|All files (*)|*";

// One record of a sheet: the row's cells by position (0, 1, 2...); an empty cell is null.
// Numbers read as the text a spreadsheet shows for them ("17", "0.5").
class SpreadsheetRecord {
public:
    explicit SpreadsheetRecord(std::vector<std::optional<std::string>> fields)
        : fields_(std::move(fields)), width_(fields_.size()) {}
    // A record of a sheet `width` columns wide whose fields past `fields` are empty.
    SpreadsheetRecord(std::vector<std::optional<std::string>> fields, size_t width)
        : fields_(std::move(fields)), width_(std::max(width, fields_.size())) {}

    size_t Size() const { return width_; }
    bool IsNull(size_t position) const;
    // The field as text, null giving the empty text; throws Error when the sheet has no such
    // field (fewer columns than the window expects).
    std::string Text(size_t position) const;
    // A field read directly: null is an error too.
    std::string Direct(size_t position) const;

private:
    std::vector<std::optional<std::string>> fields_;
    size_t width_;
};

using SpreadsheetRecordHandler = std::function<void(const SpreadsheetRecord&)>;

// Reads the sheet named `sheetName` (found without regard to case) of the workbook at
// `workbookPath`, told by its content: an .xls (compound file, read by kestrova-xls-reader in a
// process of its own), an .xlsx or an .ods (zip), else a CSV text (one sheet whatever its name).
// The first row holds the field names, every row after it is one record, handed to
// `handleRecord` in sheet order. Rows after the last one holding a value are not records.
// A CSV file imports back as Export wrote it: a line empty past its first field is not a
// record, nor a line repeating the field names from the second field on (sdo.csv); for
// "emcydef", "emcyword" and "sdopdo", whose exports have no field-name line, a first line
// without field names (every field empty or an integer) is a record, and in "emcyword" the ID
// (export field 2) and the side (export field 3) change places.
// Throws Error naming the file and the sheet, and the record number (1 = the first record) with
// its sheet row or line when a record fails, also when `handleRecord` throws Error; the records
// handled before the failure stay handled.
// A folder, a pipe or a device given as the workbook is refused by what it is, before anything
// is read: the refusal's text; nothing for a regular file or a missing one.
std::optional<std::string> NonRegularWorkbookRefusal(const std::string& workbookPath, const std::string& sheetName);

void ReadSpreadsheetSheet(const std::string& workbookPath, const std::string& sheetName,
                          const SpreadsheetRecordHandler& handleRecord);

// The same for the workbook's bytes already read from `workbookPath` (an .xls is read from that
// path by the reader).
void ReadSpreadsheetContent(const std::string& bytes, const std::string& workbookPath, const std::string& sheetName,
                            const SpreadsheetRecordHandler& handleRecord);

// The Import of a CANopen window after the file was chosen: reads the sheet as above and
// shows a failure in a plain message box. Returns whether the whole sheet was imported.
bool ImportSpreadsheetSheet(Dialogs& dialogs, const std::string& workbookPath, const std::string& sheetName,
                            const SpreadsheetRecordHandler& handleRecord);

}  // namespace kestrova
