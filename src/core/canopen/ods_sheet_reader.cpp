#include "core/canopen/ods_sheet_reader.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/canopen/workbook_xml.h"
#include "core/project/error.h"

namespace kestrova {
namespace {

using namespace workbook_xml;

constexpr const char* kOdsMimeType = "application/vnd.oasis.opendocument.spreadsheet";
constexpr size_t kBlankRunLimit = 32767;  // the longest text a cell holds

// A repeat count: 1 when absent or not a number, at most `limit`.
size_t Repeats(const pugi::xml_node& node, const char* localName, size_t limit) {
    const pugi::xml_attribute attribute = Attribute(node, localName);
    if (!attribute) return 1;
    const unsigned long long count = attribute.as_ullong(1);
    return static_cast<size_t>(std::clamp<unsigned long long>(count, 1, limit));
}

// The text of a paragraph: its characters, spans and links followed into, <text:s text:c="n"/>
// n blanks, <text:tab/> a tab, <text:line-break/> a line feed; notes left out.
void AppendParagraph(const pugi::xml_node& paragraph, std::string& text) {
    pugi::xml_node node = paragraph.first_child();
    while (node) {
        bool descend = false;
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            text += node.value();
        } else if (Is(node, "s")) {
            text.append(Repeats(node, "c", kBlankRunLimit), ' ');
        } else if (Is(node, "tab")) {
            text += '\t';
        } else if (Is(node, "line-break")) {
            text += '\n';
        } else if (node.type() == pugi::node_element && !Is(node, "note") && !Is(node, "annotation")) {
            descend = true;
        }
        if (text.size() > kSheetCellBytesLimit) throw Error("a cell holds more text than a sheet can");
        if (descend && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != paragraph && !node.next_sibling()) node = node.parent();
        if (node == paragraph) break;
        node = node.next_sibling();
    }
}

SheetCell CellValue(const pugi::xml_node& cell) {
    const std::string type = Attribute(cell, "value-type").value();
    if (type == "float" || type == "percentage" || type == "currency") {
        const char* value = Attribute(cell, "value").value();
        char* end = nullptr;
        const double number = std::strtod(value, &end);
        if (end != value && *end == 0) return SpreadsheetNumberText(number);
    } else if (type == "boolean") {
        return std::string(Attribute(cell, "boolean-value").value()) == "true" ? "1" : "0";
    }
    std::string text;
    bool first = true;
    for (pugi::xml_node child : cell.children()) {
        if (!Is(child, "p")) continue;
        if (!first) text += '\n';
        first = false;
        AppendParagraph(child, text);
    }
    if (text.empty()) return std::nullopt;
    return text;
}

// Gathers the rows of a table, through row groups and header rows at any depth.
class TableReader {
public:
    SheetCells Read(const pugi::xml_node& table) {
        pugi::xml_node node = table.first_child();
        while (node) {
            bool descend = false;
            if (Is(node, "table-row"))
                Row(node);
            else if (Is(node, "table-row-group") || Is(node, "table-header-rows") || Is(node, "table-rows"))
                descend = true;
            if (descend && node.first_child()) {
                node = node.first_child();
                continue;
            }
            while (node != table && !node.next_sibling()) node = node.parent();
            if (node == table) break;
            node = node.next_sibling();
        }
        return std::move(sheet_);
    }

private:
    void Row(const pugi::xml_node& row) {
        const size_t repeats = Repeats(row, "number-rows-repeated", kSheetRowLimit);
        std::vector<SheetCell> cells;
        size_t column = 0;
        for (pugi::xml_node cell : row.children()) {
            if (!Is(cell, "table-cell") && !Is(cell, "covered-table-cell")) continue;
            const size_t cellRepeats = Repeats(cell, "number-columns-repeated", kSheetColumnLimit);
            SheetCell value = CellValue(cell);
            if (value) {
                if (column + cellRepeats > kSheetColumnLimit)
                    throw Error("a row of the table has more columns than a sheet can hold");
                budget_.Spend((column + cellRepeats - cells.size()) * 32 + cellRepeats * value->size());
                cells.resize(column + cellRepeats);
                for (size_t i = 0; i < cellRepeats; ++i) cells[column + i] = value;
            }
            column = std::min(column + cellRepeats, kSheetColumnLimit + 1);
        }
        if (cells.empty()) {  // empty rows count only when a row with a value follows
            emptyRows_ = std::min(emptyRows_ + repeats, kSheetRowLimit + 1);
            return;
        }
        if (sheet_.rows.size() + emptyRows_ + repeats > kSheetRowLimit)
            throw Error("the table has more rows than a sheet can hold");
        budget_.Spend(emptyRows_ * 24);
        sheet_.rows.resize(sheet_.rows.size() + emptyRows_);
        emptyRows_ = 0;
        sheet_.width = std::max(sheet_.width, cells.size());
        for (size_t i = 1; i < repeats; ++i) {
            budget_.Spend(24 + cells.size() * 32);
            sheet_.rows.push_back(cells);
        }
        sheet_.rows.push_back(std::move(cells));
    }

    SheetCells sheet_;
    size_t emptyRows_ = 0;
    CellBudget budget_;
};

}  // namespace

bool IsOdsWorkbook(ZipArchive& zip) {
    if (const auto mimeType = zip.Has("mimetype") ? zip.Read("mimetype") : std::nullopt)
        return *mimeType == kOdsMimeType;
    return zip.Has("content.xml");
}

std::optional<SheetCells> ReadOdsSheet(ZipArchive& zip, const std::string& sheetName) {
    const auto content = zip.Read("content.xml");
    if (!content) throw Error("the workbook has no part content.xml");
    pugi::xml_document document;
    Parse(document, *content, "content.xml");
    const pugi::xml_node spreadsheet = Child(Child(Child(document, "document-content"), "body"), "spreadsheet");
    for (pugi::xml_node table : spreadsheet.children())
        if (Is(table, "table") &&
            SpreadsheetLowerCase(Attribute(table, "name").value()) == SpreadsheetLowerCase(sheetName))
            return TableReader().Read(table);
    return std::nullopt;
}

}  // namespace kestrova
