#include "core/canopen/sdo_access.h"

#include "core/project/error.h"
#include "core/project/integer_text.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

constexpr int32_t kSideBit = 1;
constexpr int32_t kRwBit = 16;

// Document attributes of the columns Index to nbyte; `mnemonico` may be absent.
const char* const kRequiredAttributes[] = {"IndexA", "SubindexA", "devIDB", "IndexB", "SubindexB", "nbyteB"};

// Texts of the header line of the export, after the `conf` field.
const char* const kHeaderTexts[] = {"Index", "Subindex", "devID", "Index", "Subindex", "nbyte", "mnemonico"};

const std::string& Cell(const TableRow& row, size_t column) {
    static const std::string empty;
    return column < row.size() ? row[column] : empty;
}

CanSide SideOf(int32_t conf) { return (conf & kSideBit) ? CanSide::B : CanSide::A; }

TableRow& NextRow(SdoAccessTables& tables, std::array<size_t, 2>& fill, CanSide side) {
    size_t& position = fill[SideIndex(side)];
    if (position >= kSdoAccessRows)
        throw Error(std::string("the table of side ") + (side == CanSide::A ? "A" : "B") + " is full (" +
                    std::to_string(kSdoAccessRows) + " rows)");
    return tables.Side(side)[position++];
}

}  // namespace

TableLayout SdoAccessLayout() {
    TableLayout layout;
    layout.labelHeading = "N°";
    for (size_t row = 0; row < kSdoAccessRows; ++row) layout.rowLabels.push_back(std::to_string(row));
    for (const char* heading : {"RW", "Index", "SubIndex", "devID", "Index", "SubIndex", "nbyte", "mnemonico"})
        layout.columns.push_back(TextColumn(heading, {}));
    layout.keyColumn = kSdoRw;  // a filled row always has its RW flag, whatever its Index holds
    return layout;
}

SdoAccessTables EmptySdoAccessTables() {
    SdoAccessTables tables;
    for (auto& side : tables.sides) side.assign(kSdoAccessRows, TableRow(kSdoColumnCount));
    return tables;
}

std::string SdoAccessPath(const ProjectContext& context) { return context.ProjectFilePath("sdo.xml"); }

SdoAccessLoad LoadSdoAccess(const std::string& path) {
    SdoAccessLoad load{EmptySdoAccessTables(), std::nullopt, {}};
    std::array<size_t, 2> fill{};
    std::optional<size_t> total;
    try {
        const auto document = ReadRowList(path);
        if (!document) return load;
        total = document->rows.size();
        for (const XmlRow& row : document->rows) {
            const int32_t conf = IntegerText(row.Required("conf"));
            TableRow cells(kSdoColumnCount);
            cells[kSdoRw] = (conf & kRwBit) ? "1" : "0";
            for (size_t i = 0; i < std::size(kRequiredAttributes); ++i)
                cells[kSdoIndexA + i] = row.Required(kRequiredAttributes[i]);
            cells[kSdoMnemonic] = row.Guarded("mnemonico");
            NextRow(load.tables, fill, SideOf(conf)) = std::move(cells);
            ++load.rows.kept;
        }
    } catch (const Error&) {
        load.message = kSdoReadingError;
        total ? load.rows.StopAt(*total) : load.rows.StopUnread();
    }
    return load;
}

void SdoAccessImport::operator()(const SpreadsheetRecord& record) {
    const int32_t conf = IntegerText(record.Direct(0));
    TableRow cells(kSdoColumnCount);
    cells[kSdoRw] = (conf & kRwBit) ? "1" : "0";
    for (size_t field = 1; field < kSdoColumnCount; ++field) cells[field] = record.Text(field);
    NextRow(tables_, fill_, SideOf(conf)) = std::move(cells);
}

bool ImportSdoAccess(Dialogs& dialogs, const std::string& workbookPath, SdoAccessTables& tables) {
    tables = EmptySdoAccessTables();
    return ImportSpreadsheetSheet(dialogs, workbookPath, kSdoAccessSheet, SdoAccessImport(tables));
}

std::vector<CsvLine> SdoAccessExportLines(const SdoAccessTables& tables) {
    std::vector<CsvLine> lines;
    lines.reserve(2 * (kSdoAccessRows + 1));
    for (CanSide side : kCanSides) {
        const int32_t base = side == CanSide::A ? 0 : kSideBit;
        CsvLine header{std::to_string(base)};
        header.insert(header.end(), std::begin(kHeaderTexts), std::end(kHeaderTexts));
        lines.push_back(std::move(header));
        for (const TableRow& row : tables.Side(side)) {
            CsvLine line{std::to_string(Cell(row, kSdoRw) == "1" ? base + kRwBit : base)};
            for (size_t column = kSdoIndexA; column < kSdoColumnCount; ++column) line.push_back(Cell(row, column));
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

}  // namespace kestrova
