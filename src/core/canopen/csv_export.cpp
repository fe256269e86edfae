#include "core/canopen/csv_export.h"

#include <cstdint>

#include "core/project/file_system.h"
#include "core/project/text_encoding.h"

namespace kestrova {
std::string CsvExportPath(const ProjectContext& context, const std::string& baseName) {
    return context.projectDirectory + "/" + baseName + ".csv";
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
    WriteFileReplacing(CsvExportPath(context, baseName), CsvText(lines));
}

}  // namespace kestrova
