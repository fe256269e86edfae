#pragma once

#include <string>
#include <vector>

#include "core/project/project_context.h"

namespace kestrova {

// One line of a CANopen window's export: its fields in order.
using CsvLine = std::vector<std::string>;

// The export file of a window: the project directory, "/", the base name (the window's sheet
// name), ".csv"; empty without a project directory.
std::string CsvExportPath(const ProjectContext& context, const std::string& baseName);

// A field as written: as it stands, or in double quotation marks (inner ones doubled) when
// it holds a comma, a quotation mark or a line break, so that it stays one column.
std::string CsvField(const std::string& text);

// The bytes of the export: every field followed by a comma, every line ended by CR LF, texts
// in Windows-1252 (a character that code page lacks becomes "?").
std::string CsvText(const std::vector<CsvLine>& lines);

// Writes the export file, creating or replacing it whole; throws Error with the system's
// reason, an earlier file then stays as it was, and "Project not valid" without a project.
void WriteCsvExport(const ProjectContext& context, const std::string& baseName, const std::vector<CsvLine>& lines);

}  // namespace kestrova
