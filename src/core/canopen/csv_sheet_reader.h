#pragma once

#include <string>

#include "core/canopen/spreadsheet_cells.h"

namespace kestrova {

// Reads a CSV text as one sheet, each line a row: UTF-8 (with or without a byte-order mark), or
// Windows-1252 when the bytes are not UTF-8; lines end with CR LF, LF or CR; fields are
// separated by commas and may be quoted ("a, ""b""", holding commas, quotation marks and line
// breaks) as Export writes them; a comma at the end of a line ends the last field; an empty
// field is null. Throws Error when the text holds a NUL byte (not a text). A quoted field left
// open, or followed by more than its comma, stops the reading at its line (`damage`).
SheetCells ReadCsvSheet(const std::string& bytes);

}  // namespace kestrova
