#pragma once

#include <optional>
#include <string>

#include "core/canopen/spreadsheet_cells.h"
#include "core/canopen/zip_archive.h"

namespace kestrova {

// An Office Open XML workbook: the zip holds "[Content_Types].xml" or "xl/workbook.xml".
bool IsXlsxWorkbook(const ZipArchive& zip);

// Reads the sheet named `sheetName` (without regard to case) of the .xlsx workbook in `zip`:
// the workbook part (named by _rels/.rels, else xl/workbook.xml) lists the sheets, its
// relationships map a sheet's r:id to its part (a target relative to the workbook's folder, or
// absolute); cells are placed by their r attributes ("B3"), text from the shared strings or
// inline, numbers as a spreadsheet shows them, booleans as 1 and 0, formulas by their cached
// value. Nothing when the workbook has no such sheet; throws Error with the reason otherwise.
std::optional<SheetCells> ReadXlsxSheet(ZipArchive& zip, const std::string& sheetName);

}  // namespace kestrova
