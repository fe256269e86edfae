#include "core/canopen/csv_export.h"

#include <cstdint>

#include "core/project/file_system.h"

namespace kestrova {
namespace {

// Code points of the bytes 0x80 to 0x9F in Windows-1252 (0 where the byte is undefined).
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char ByteOf(uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<char>(codePoint);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] != 0 && kHighControls[i] == codePoint) return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

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

std::string Windows1252(const std::string& utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        uint32_t codePoint = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length != 0 && at + length <= utf8.size();
        for (size_t i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(utf8[at + i]);
            valid = (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        bytes += valid ? ByteOf(codePoint) : '?';
        at += valid ? length : 1;
    }
    return bytes;
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
    return Windows1252(text);
}

void WriteCsvExport(const ProjectContext& context, const std::string& baseName, const std::vector<CsvLine>& lines) {
    WriteFileReplacing(CsvExportPath(context, baseName), CsvText(lines));
}

}  // namespace kestrova
