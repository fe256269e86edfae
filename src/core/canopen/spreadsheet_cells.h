#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// A cell as a spreadsheet shows it; an empty cell is null.
using SheetCell = std::optional<std::string>;

// The cells of one sheet as a workbook reader finds them, before they become records: each row
// up to its last cell (shorter rows are empty to the right), `width` the sheet's column count.
struct SheetCells {
    std::vector<std::vector<SheetCell>> rows;
    size_t width = 0;
    // Reading stopped at row `damagedRow` (0 = the first row) for this reason; the rows before
    // it were read.
    std::optional<std::string> damage;
    size_t damagedRow = 0;
};

// The most cells of a sheet a reader materialises (their texts counted too, about 32 bytes a
// cell), so that repeated rows or cells cannot make a small file fill the memory.
inline constexpr size_t kSheetCellBytesLimit = size_t(64) << 20;
inline constexpr size_t kSheetRowLimit = 1048576;
inline constexpr size_t kSheetColumnLimit = 16384;

// A number as a spreadsheet shows it: "17" (not "17.0"), "0.5", "-3", "1e+20".
std::string SpreadsheetNumberText(double value);

// "A" for position 0, "Z" for 25, "AA" for 26: how a spreadsheet names the column.
std::string SpreadsheetColumnName(size_t position);

// ASCII letters in lower case, for sheet names found without regard to case.
std::string SpreadsheetLowerCase(std::string text);

}  // namespace kestrova
