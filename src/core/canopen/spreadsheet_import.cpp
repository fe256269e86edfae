#include "core/canopen/spreadsheet_import.h"

#include <freexl.h>

#include <cmath>
#include <cstdio>

#include "core/project/error.h"
#include "core/project/file_system.h"

namespace kestrova {
namespace {

// "A" for position 0, "Z" for 25, "AA" for 26: how a spreadsheet names the column.
std::string ColumnName(size_t position) {
    std::string name;
    for (size_t n = position + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('A' + (n - 1) % 26));
    return name;
}

std::string NumberText(double value) {
    char text[32];
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    else
        std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

class Workbook {
public:
    explicit Workbook(const std::string& path) {
        if (freexl_open(path.c_str(), &handle_) != FREEXL_OK) {
            Close();
            throw Error("the file is not an Excel workbook (.xls)");
        }
        unsigned int password = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
            password == FREEXL_BIFF_OBFUSCATED) {
            Close();  // no destructor runs for a constructor that throws
            throw Error("the workbook is protected by a password");
        }
    }
    ~Workbook() { Close(); }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Makes the sheet of that name (without regard to case) the one read; false when absent.
    bool SelectSheet(const std::string& name) {
        unsigned int count = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) return false;
        for (unsigned int index = 0; index < count && index <= 0xFFFF; ++index) {
            const char* sheet = nullptr;
            if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(index), &sheet) != FREEXL_OK || !sheet)
                continue;
            if (Lower(sheet) == Lower(name))
                return freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) == FREEXL_OK &&
                       freexl_worksheet_dimensions(handle_, &rows_, &columns_) == FREEXL_OK;
        }
        return false;
    }

    unsigned int Rows() const { return rows_; }
    unsigned short Columns() const { return columns_; }

    std::optional<std::string> Cell(unsigned int row, unsigned short column) const {
        FreeXL_CellValue value;
        const int status = freexl_get_cell_value(handle_, row, column, &value);
        if (status != FREEXL_OK)
            throw Error("cell " + ColumnName(column) + std::to_string(row + 1) +
                        " cannot be read, the workbook is damaged (FreeXL error " + std::to_string(status) + ")");
        switch (value.type) {
            case FREEXL_CELL_NULL:
                return std::nullopt;
            case FREEXL_CELL_INT:
                return std::to_string(value.value.int_value);
            case FREEXL_CELL_DOUBLE:
                return NumberText(value.value.double_value);
            default:
                if (!value.value.text_value || !*value.value.text_value) return std::nullopt;
                return std::string(value.value.text_value);
        }
    }

private:
    void Close() {
        if (handle_) freexl_close(handle_);
        handle_ = nullptr;
    }

    const void* handle_ = nullptr;
    unsigned int rows_ = 0;
    unsigned short columns_ = 0;
};

}  // namespace

bool SpreadsheetRecord::IsNull(size_t position) const {
    return position >= fields_.size() || !fields_[position].has_value();
}

std::string SpreadsheetRecord::Text(size_t position) const {
    if (position >= fields_.size())
        throw Error("the sheet has no column " + ColumnName(position) + " (it has " + std::to_string(fields_.size()) +
                    " columns)");
    return fields_[position].value_or(std::string());
}

std::string SpreadsheetRecord::Direct(size_t position) const {
    const std::string text = Text(position);
    if (!fields_[position]) throw Error("column " + ColumnName(position) + " is empty");
    return text;
}

void ReadSpreadsheetSheet(const std::string& workbookPath, const std::string& sheetName,
                          const SpreadsheetRecordHandler& handleRecord) {
    const std::string what = "Import of sheet \"" + sheetName + "\" from " + workbookPath + " stopped";
    if (!FileExists(workbookPath)) throw Error(what + ": the file does not exist");
    std::optional<Workbook> workbook;
    try {
        workbook.emplace(workbookPath);
    } catch (const Error& error) {
        throw Error(what + ": " + error.what());
    }
    if (!workbook->SelectSheet(sheetName))
        throw Error(what + ": the workbook has no sheet named \"" + sheetName + "\"");

    // Rows after the last one holding a value (formatted but empty) are not records.
    unsigned int lastRow = 0;
    unsigned int record = 0;
    try {
        for (unsigned int row = workbook->Rows(); row-- > 1 && lastRow == 0;)
            for (unsigned short column = 0; column < workbook->Columns(); ++column)
                if (workbook->Cell(row, column)) {
                    lastRow = row;
                    break;
                }
        for (unsigned int row = 1; row <= lastRow; ++row) {
            record = row;
            std::vector<std::optional<std::string>> fields;
            fields.reserve(workbook->Columns());
            for (unsigned short column = 0; column < workbook->Columns(); ++column)
                fields.push_back(workbook->Cell(row, column));
            handleRecord(SpreadsheetRecord(std::move(fields)));
        }
    } catch (const Error& error) {
        if (record == 0) throw Error(what + ": " + error.what());
        throw Error(what + " at record " + std::to_string(record) + " (sheet row " + std::to_string(record + 1) +
                    "): " + error.what());
    }
}

bool ImportSpreadsheetSheet(Dialogs& dialogs, const std::string& workbookPath, const std::string& sheetName,
                            const SpreadsheetRecordHandler& handleRecord) {
    return RunGuarded(dialogs, [&] { ReadSpreadsheetSheet(workbookPath, sheetName, handleRecord); });
}

}  // namespace kestrova
