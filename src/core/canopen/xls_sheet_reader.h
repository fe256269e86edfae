#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "core/canopen/spreadsheet_cells.h"

namespace kestrova {

// The program that reads .xls workbooks with FreeXL, in a process of its own.
inline constexpr const char* kXlsReaderProgramName = "kestrova-xls-reader";
// How long the reader may take before it is ended.
inline constexpr std::chrono::milliseconds kXlsReaderTimeLimit{20000};

// The reader beside the running program (a build folder, bin/), else the installed one in
// <prefix>/libexec/kestrova for a program in <prefix>/bin; the latter path when neither exists.
std::string XlsReaderPath();

// Reads the sheet named `sheetName` (without regard to case) of the .xls workbook at
// `workbookPath` by starting the reader at `readerPath` and taking its answer; nothing when the
// workbook has no such sheet. Throws Error with the reason (without file and sheet) when the
// workbook cannot be read, also when the reader cannot be started, is ended by a signal, runs
// longer than `timeLimit` or gives an answer that does not follow its form.
std::optional<SheetCells> ReadXlsSheet(const std::string& readerPath, const std::string& workbookPath,
                                       const std::string& sheetName,
                                       std::chrono::milliseconds timeLimit = kXlsReaderTimeLimit);

}  // namespace kestrova
