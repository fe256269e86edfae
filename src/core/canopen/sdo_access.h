#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/canopen/can_side.h"
#include "core/canopen/csv_export.h"
#include "core/canopen/spreadsheet_import.h"
#include "core/editors/editor_table.h"
#include "core/project/loaded_document.h"
#include "core/project/project_context.h"

namespace kestrova {

// SDO accesses of the CAN-to-CAN bridge: per side, the virtual SDO index and subindex on the
// requesting bus and the real SDO address on the other bus. Document sdo.xml (read only):
// every child of the root is one row with `conf` (bit 0 the side, bit 4 the RW flag),
// `IndexA`, `SubindexA`, `devIDB`, `IndexB`, `SubindexB`, `nbyteB` and optionally `mnemonico`.

inline constexpr size_t kSdoAccessRows = 1500;
inline constexpr const char* kSdoAccessSheet = "sdo";  // sheet of the Import, base name of the export

// Data columns of a table (the fixed column of row numbers is not one of them).
enum SdoAccessColumn : size_t {
    kSdoRw,
    kSdoIndexA,
    kSdoSubindexA,
    kSdoDevIdB,
    kSdoIndexB,
    kSdoSubindexB,
    kSdoNbyteB,
    kSdoMnemonic,
    kSdoColumnCount
};

// The grid of one side: row numbers "0" to "1499", the eight text columns.
TableLayout SdoAccessLayout();

// The two tables, 1500 rows of eight texts each; filled from row 0 down without gaps.
struct SdoAccessTables {
    std::array<std::vector<TableRow>, 2> sides;

    std::vector<TableRow>& Side(CanSide side) { return sides[SideIndex(side)]; }
    const std::vector<TableRow>& Side(CanSide side) const { return sides[SideIndex(side)]; }
};
SdoAccessTables EmptySdoAccessTables();

std::string SdoAccessPath(const ProjectContext& context);  // the project's sdo.xml

inline constexpr const char* kSdoReadingError = "Error in reading file XML";

// Show: empty tables filled from the document. No document: empty tables, no message. A row
// that cannot be read (a required attribute missing, `conf` not an integer, its side's table
// full) stops the loading with "Error in reading file XML"; the rows before it stay, and
// `rows` counts them and the rows left out.
struct SdoAccessLoad {
    SdoAccessTables tables;
    std::optional<std::string> message;
    RowsRead rows;
};
SdoAccessLoad LoadSdoAccess(const std::string& path);

// Fills the tables from the records of the sheet "sdo": field 0 the `conf` value (read
// directly), fields 1 to 7 the columns Index to mnemonico. Empty the tables first.
class SdoAccessImport {
public:
    explicit SdoAccessImport(SdoAccessTables& tables) : tables_(tables) {}
    void operator()(const SpreadsheetRecord& record);

private:
    SdoAccessTables& tables_;
    std::array<size_t, 2> fill_{};
};

// Import: empties both tables, then reads the sheet "sdo" of the workbook; a failure is
// shown, the rows imported before it stay. Returns whether the whole sheet was imported.
bool ImportSdoAccess(Dialogs& dialogs, const std::string& workbookPath, SdoAccessTables& tables);

// Export lines: per side the header line, then all 1500 rows, empty ones included; field 0
// the `conf` value ("16"/"0" side A, "17"/"1" side B, by an RW cell of exactly "1").
std::vector<CsvLine> SdoAccessExportLines(const SdoAccessTables& tables);

}  // namespace kestrova
