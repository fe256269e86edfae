#include "core/canopen/csv_sheet_reader.h"

#include "core/project/error.h"
#include "core/project/text_encoding.h"

namespace kestrova {
namespace {

std::string AsUtf8(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return bytes.substr(3);
    if (FirstInvalidUtf8(bytes) == std::string::npos) return bytes;
    return SingleByteToUtf8(bytes, SingleByteCode::Windows1252);
}

}  // namespace

SheetCells ReadCsvSheet(const std::string& bytes) {
    if (bytes.find('\0') != std::string::npos)
        throw Error("the file is neither a workbook (.xls, .xlsx, .ods) nor a CSV text");
    const std::string text = AsUtf8(bytes);
    SheetCells sheet;
    std::vector<SheetCell> row;
    std::string field;
    bool quoted = false;
    size_t at = 0;
    const auto endField = [&] {
        if (field.empty())
            row.emplace_back();
        else
            row.emplace_back(std::move(field));
        field.clear();
        quoted = false;
    };
    const auto endRow = [&] {
        endField();
        while (!row.empty() && !row.back()) row.pop_back();
        sheet.width = std::max(sheet.width, row.size());
        sheet.rows.push_back(std::move(row));
        row.clear();
    };
    const auto damaged = [&](const std::string& reason) {
        sheet.damage = reason;
        sheet.damagedRow = sheet.rows.size();
        return sheet;
    };
    while (at < text.size()) {
        const char c = text[at];
        if (c == '"' && field.empty() && !quoted) {
            // a quoted field: up to the closing mark, doubled marks standing for one
            quoted = true;
            size_t end = ++at;
            for (;;) {
                end = text.find('"', end);
                if (end == std::string::npos) return damaged("a quoted field is not closed");
                if (end + 1 < text.size() && text[end + 1] == '"') {
                    field.append(text, at, end + 1 - at);
                    at = end += 2;
                    continue;
                }
                field.append(text, at, end - at);
                at = end + 1;
                break;
            }
            if (at < text.size() && text[at] != ',' && text[at] != '\r' && text[at] != '\n')
                return damaged("a quoted field is followed by more than a comma");
            continue;
        }
        if (c == ',') {
            endField();
        } else if (c == '\r' || c == '\n') {
            endRow();
            if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
        } else {
            field += c;
        }
        ++at;
    }
    if (!field.empty() || !row.empty() || quoted) endRow();
    return sheet;
}

}  // namespace kestrova
