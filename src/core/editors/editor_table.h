#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/project/xml_document.h"

namespace kestrova {

// The texts of one table row, one per data column (the fixed label column is not included).
using TableRow = std::vector<std::string>;

enum class CellKind {
    Text,  // typed text
    Flag,  // check box: "Y" ticked, "N" cleared, empty until first touched
    Pick,  // pick list of `entries`, text may also be typed
};

// One data column of an editor table and, for row lists, the attribute it is stored in.
struct TableColumn {
    std::string heading;
    std::string attribute;
    CellKind kind = CellKind::Text;
    bool required = false;             // a row lacking the attribute cannot be read
    std::string fallback;              // text of an absent optional attribute
    std::vector<std::string> entries;  // Pick: the list entries, in order
    // Document text -> cell text on reading; cell text -> attribute on writing (nothing: the
    // attribute is left out of that row). Unset: the text is taken as it stands.
    std::function<std::string(const std::string&)> decode;
    std::function<std::optional<std::string>(const std::string&)> encode;
};

// The shape of an editor table: fixed row labels, the data columns, and the key column whose
// first empty cell ends the list.
struct TableLayout {
    std::string labelHeading;            // heading of the fixed first column
    std::vector<std::string> rowLabels;  // one per row; their count is the table's capacity
    std::vector<TableColumn> columns;
    size_t keyColumn = 0;
    std::string keyName;        // the key cell as messages name it: "Data Page", "interval"
    std::string rowNamePrefix;  // "row " before a label names a row in messages ("row 3")
    std::string entryNoun;      // what the document's entries are: "frames", "timers"

    size_t RowCount() const { return rowLabels.size(); }
};

// Check-box cells: "Y" ticked, "N" cleared, empty until first touched.
inline constexpr const char* kFlagTicked = "Y";
inline constexpr const char* kFlagCleared = "N";

// Whether a check-box text shows a tick: only an exact "Y" does.
bool FlagTicked(const std::string& text);
// The text of a check-box cell after a click or the space bar: ticked becomes "N", anything
// else (empty, "N", a hand-edited "y") "Y".
std::string ToggledFlag(const std::string& text);
// The text of a cell after Delete: a text or pick cell empties; a check box that holds
// anything becomes "N", an empty one stays empty.
std::string ClearedCell(CellKind kind, const std::string& text);

// A text column (an absent optional attribute reads as empty), and a flag column (absent: "N").
TableColumn TextColumn(std::string heading, std::string attribute, bool required = false);
TableColumn FlagColumn(std::string heading, std::string attribute);

// Row labels "1".."count" (`prefix` before each number).
std::vector<std::string> NumberedLabels(size_t count, const std::string& prefix = {});

// A table of the layout's size with every cell empty.
std::vector<TableRow> EmptyTable(const TableLayout& layout);

// The text of a cell; empty for a row or column the table does not have.
const std::string& CellText(const std::vector<TableRow>& rows, size_t row, size_t column);

// Rows that form the list: those before the first row whose key cell is empty (at most the
// table's capacity).
size_t ListLength(const TableLayout& layout, const std::vector<TableRow>& rows);

// Whether a row holds nothing the list would keep: every text blank, every flag empty or "N"
// (a hand-edited "y" counts as something).
bool RowIsEmpty(const TableLayout& layout, const std::vector<TableRow>& rows, size_t row);

// The first row from the list's end on (the row with the empty key cell included) that still
// holds something the list would lose: a text that is not blank, or a flag holding anything
// but "" or "N" (a hand-edited "y" too). Blank texts, empty and cleared flags count as empty.
std::optional<size_t> FirstStrayRow(const TableLayout& layout, const std::vector<TableRow>& rows);

// Refuses a table with a stray row, naming it and the row that ends the list; nothing when
// the list loses nothing.
std::optional<std::string> CheckNoStrayRows(const TableLayout& layout, const std::vector<TableRow>& rows);

// Refuses a document holding more entries than the table can show, so it is never opened
// partly and then saved with less than it held.
void CheckCapacity(const TableLayout& layout, size_t entries, const std::string& path);

// Reads a row list into a full table: capacity checked, required attributes read without a
// guard (Error when absent), optional ones with their fallback, then decoded. No document:
// an empty table.
std::vector<TableRow> LoadRowTable(const TableLayout& layout, const std::string& path);

// The `row` elements of the list, attributes in column order, encoded.
std::vector<NamedTexts> RowListEntries(const TableLayout& layout, const std::vector<TableRow>& rows);

// Text with blanks and control characters removed at both ends.
std::string TrimBlanks(const std::string& text);

// Whether the text reads (by IntegerText, -1 when it does not) as a value within [low, high].
bool IntegerInRange(const std::string& text, int32_t low, int32_t high);

}  // namespace kestrova
