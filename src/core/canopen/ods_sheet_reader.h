#pragma once

#include <optional>
#include <string>

#include "core/canopen/spreadsheet_cells.h"
#include "core/canopen/zip_archive.h"

namespace kestrova {

// An OpenDocument spreadsheet: the zip's "mimetype" says so, or (without one) it holds
// "content.xml".
bool IsOdsWorkbook(ZipArchive& zip);

// Reads the table named `sheetName` (without regard to case) of the .ods workbook in `zip`
// (content.xml): rows and cells repeated by table:number-rows-repeated and
// table:number-columns-repeated are copied when they hold a value and skipped when empty
// (nothing is made of the empty rows that pad a sheet to its end); numbers from office:value
// as a spreadsheet shows them, booleans as 1 and 0, other cells from their text:p paragraphs
// (joined by a line feed; <text:s/> blanks, <text:tab/> tabs). Nothing when the workbook has
// no such table; throws Error with the reason otherwise.
std::optional<SheetCells> ReadOdsSheet(ZipArchive& zip, const std::string& sheetName);

}  // namespace kestrova
