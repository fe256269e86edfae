#include "core/canopen/csv_export.h"

#include <cstdint>

#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/text_encoding.h"

namespace kestrova {
std::string CsvExportPath(const ProjectContext& context, const std::string& baseName) {
    return context.ProjectFilePath(baseName + ".csv");
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CsvText(const std::vector<CsvLine>& lines) {
    std::string text;
    for (const CsvLine& line : lines) {
        for (const std::string& field : line) {
            text += CsvField(field);
            text += ',';
        }
        text += "\r\n";
    }
    return Utf8ToWindows1252(text);
}

void WriteCsvExport(const ProjectContext& context, const std::string& baseName, const std::vector<CsvLine>& lines) {
    const std::string path = CsvExportPath(context, baseName);
    if (path.empty()) throw Error("Project not valid");  // no project: nothing is written
    WriteFileReplacing(path, CsvText(lines));
}

}  // namespace kestrova
