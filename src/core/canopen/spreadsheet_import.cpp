#include "core/canopen/spreadsheet_import.h"

#include <algorithm>

#include "core/canopen/csv_sheet_reader.h"
#include "core/canopen/ods_sheet_reader.h"
#include "core/canopen/spreadsheet_cells.h"
#include "core/canopen/xls_sheet_reader.h"
#include "core/canopen/xlsx_sheet_reader.h"
#include "core/canopen/zip_archive.h"
#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/integer_text.h"

namespace kestrova {
namespace {

enum class WorkbookKind { Xls, Xlsx, Ods, Csv };

// What Export writes for a sheet, so that its CSV imports back: whether its first line holds
// the field names, and where each record field stands in an export line.
struct CsvExportLayout {
    bool fieldNameLine = true;
    std::vector<size_t> fieldOrder;  // record field i is export field fieldOrder[i]; empty: in order
};

CsvExportLayout CsvExportLayoutOf(const std::string& sheetName) {
    const std::string sheet = SpreadsheetLowerCase(sheetName);
    if (sheet == "emcydef" || sheet == "sdopdo") return {false, {}};
    if (sheet == "emcyword") return {false, {0, 1, 3, 2}};  // the export has the ID before the side
    return {};                                              // sdo.csv begins with its header line
}

// An export line without field names: every field empty or an integer ("20", "0x1000").
bool HoldsNoFieldName(const std::vector<SheetCell>& row) {
    for (const SheetCell& field : row)
        if (field && !TryIntegerText(*field)) return false;
    return !row.empty();
}

// The records of a CSV file: a line empty past its first field is not a record, nor one that
// repeats the field names from its second field on (sdo.csv pads its tables with empty rows and
// repeats its header line for side B).
bool IsCsvRecord(const std::vector<SheetCell>& row, const std::vector<SheetCell>* fieldNames) {
    if (row.size() <= 1) return false;
    return !fieldNames || fieldNames->size() <= 1 ||
           !std::equal(row.begin() + 1, row.end(), fieldNames->begin() + 1, fieldNames->end());
}

void HandleRecords(SheetCells& sheet, WorkbookKind kind, const std::string& sheetName, const std::string& what,
                   const SpreadsheetRecordHandler& handleRecord) {
    const bool csv = kind == WorkbookKind::Csv;
    const CsvExportLayout layout = csv ? CsvExportLayoutOf(sheetName) : CsvExportLayout{};
    const bool exportLines = csv && !layout.fieldNameLine && !sheet.rows.empty() && HoldsNoFieldName(sheet.rows[0]);
    const size_t first = exportLines ? 0 : 1;
    const std::vector<SheetCell>* fieldNames = csv && !exportLines && !sheet.rows.empty() ? &sheet.rows[0] : nullptr;

    // Rows after the last one holding a value (formatted but empty) are not records.
    size_t end = sheet.rows.size();
    while (end > first && sheet.rows[end - 1].empty()) --end;
    size_t record = 0;
    size_t row = 0;
    const auto where = [&] {
        return " at record " + std::to_string(record) + (csv ? " (line " : " (sheet row ") + std::to_string(row + 1) +
               ")";
    };
    try {
        for (row = first; row < end; ++row) {
            std::vector<SheetCell>& fields = sheet.rows[row];
            if (csv && !IsCsvRecord(fields, fieldNames)) continue;
            record = csv ? record + 1 : row;
            if (exportLines && !layout.fieldOrder.empty()) {
                fields.resize(std::max(fields.size(), layout.fieldOrder.size()));
                std::vector<SheetCell> ordered;
                for (size_t i = 0; i < fields.size(); ++i)
                    ordered.push_back(i < layout.fieldOrder.size() ? fields[layout.fieldOrder[i]] : fields[i]);
                fields = std::move(ordered);
            }
            handleRecord(SpreadsheetRecord(std::move(fields), sheet.width));
        }
        if (sheet.damage) {
            row = sheet.damagedRow;
            record = row < first ? 0 : csv ? record + 1 : row;
            throw Error(*sheet.damage);
        }
    } catch (const Error& error) {
        throw Error(what + (record == 0 ? std::string() : where()) + ": " + error.what());
    }
}

WorkbookKind KindOf(const std::string& bytes) {
    if (bytes.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) == 0) return WorkbookKind::Xls;
    return LooksLikeZip(bytes) ? WorkbookKind::Xlsx : WorkbookKind::Csv;
}

// The sheet of a zip workbook, .xlsx or .ods; nothing when it has no such sheet.
std::optional<SheetCells> ReadZipSheet(const std::string& bytes, const std::string& sheetName, WorkbookKind& kind) {
    ZipArchive zip(bytes);
    if (IsXlsxWorkbook(zip)) return ReadXlsxSheet(zip, sheetName);
    if (IsOdsWorkbook(zip)) {
        kind = WorkbookKind::Ods;
        return ReadOdsSheet(zip, sheetName);
    }
    throw Error("the file is a zip archive but neither an .xlsx nor an .ods workbook");
}

}  // namespace

bool SpreadsheetRecord::IsNull(size_t position) const {
    return position >= fields_.size() || !fields_[position].has_value();
}

std::string SpreadsheetRecord::Text(size_t position) const {
    if (position >= width_)
        throw Error("the sheet has no column " + SpreadsheetColumnName(position) + " (it has " +
                    std::to_string(width_) + " columns)");
    return position < fields_.size() ? fields_[position].value_or(std::string()) : std::string();
}

std::string SpreadsheetRecord::Direct(size_t position) const {
    const std::string text = Text(position);
    if (IsNull(position)) throw Error("column " + SpreadsheetColumnName(position) + " is empty");
    return text;
}

void ReadSpreadsheetContent(const std::string& bytes, const std::string& workbookPath, const std::string& sheetName,
                            const SpreadsheetRecordHandler& handleRecord) {
    const std::string what = "Import of sheet \"" + sheetName + "\" from " + workbookPath + " stopped";
    WorkbookKind kind = KindOf(bytes);
    std::optional<SheetCells> sheet;
    try {
        if (kind == WorkbookKind::Xls)
            sheet = ReadXlsSheet(XlsReaderPath(), workbookPath, sheetName);
        else if (kind == WorkbookKind::Xlsx)
            sheet = ReadZipSheet(bytes, sheetName, kind);
        else
            sheet = ReadCsvSheet(bytes);
    } catch (const Error& error) {
        throw Error(what + ": " + error.what());
    }
    if (!sheet) throw Error(what + ": the workbook has no sheet named \"" + sheetName + "\"");
    HandleRecords(*sheet, kind, sheetName, what, handleRecord);
}

std::optional<std::string> NonRegularWorkbookRefusal(const std::string& workbookPath, const std::string& sheetName) {
    if (!IsNonRegularFile(workbookPath)) return std::nullopt;
    return "Import of sheet \"" + sheetName + "\" from " + workbookPath + " stopped: the file is not a regular file";
}

void ReadSpreadsheetSheet(const std::string& workbookPath, const std::string& sheetName,
                          const SpreadsheetRecordHandler& handleRecord) {
    if (const auto refusal = NonRegularWorkbookRefusal(workbookPath, sheetName)) throw Error(*refusal);
    const std::string what = "Import of sheet \"" + sheetName + "\" from " + workbookPath + " stopped";
    if (!FileExists(workbookPath)) throw Error(what + ": the file does not exist");
    std::string bytes;
    try {
        bytes = ReadWholeFile(workbookPath, static_cast<long long>(kZipTotalLimit));
    } catch (const Error& error) {
        throw Error(what + ": " + error.what());
    }
    ReadSpreadsheetContent(bytes, workbookPath, sheetName, handleRecord);
}

bool ImportSpreadsheetSheet(Dialogs& dialogs, const std::string& workbookPath, const std::string& sheetName,
                            const SpreadsheetRecordHandler& handleRecord) {
    return RunGuarded(dialogs, [&] { ReadSpreadsheetSheet(workbookPath, sheetName, handleRecord); });
}

}  // namespace kestrova
