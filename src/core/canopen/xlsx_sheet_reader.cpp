#include "core/canopen/xlsx_sheet_reader.h"

#include <cstdlib>
#include <map>
#include <vector>

#include "core/canopen/workbook_xml.h"
#include "core/project/error.h"
#include "core/project/text_encoding.h"

namespace kestrova {
namespace {

using namespace workbook_xml;

pugi::xml_document ParsePart(ZipArchive& zip, const std::string& name, bool required) {
    pugi::xml_document document;
    const auto bytes = zip.Read(name);
    if (!bytes) {
        if (required) throw Error("the workbook has no part " + name);
        return document;
    }
    Parse(document, *bytes, name);
    return document;
}

std::string FolderOf(const std::string& part) {
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash);
}

// The part a relationship's target names: absolute ("/xl/worksheets/sheet1.xml") or relative to
// `folder`, with "." and ".." taken as the zip's own names (never as file-system paths).
std::string ResolveTarget(const std::string& folder, const std::string& target) {
    std::vector<std::string> segments;
    std::string path = target.empty() || target[0] != '/' ? folder + "/" + target : target;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& segment : segments) resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct Relationship {
    std::string type;
    std::string part;
};

// The relationships in the part `name` by their Id, targets relative to `folder`.
std::map<std::string, Relationship> RelationshipsIn(ZipArchive& zip, const std::string& name,
                                                    const std::string& folder) {
    std::map<std::string, Relationship> relationships;
    const pugi::xml_document document = ParsePart(zip, name, false);
    for (pugi::xml_node node : Child(document, "Relationships").children()) {
        if (!Is(node, "Relationship") || std::string(Attribute(node, "TargetMode").value()) == "External") continue;
        relationships.emplace(
            Attribute(node, "Id").value(),
            Relationship{Attribute(node, "Type").value(), ResolveTarget(folder, Attribute(node, "Target").value())});
    }
    return relationships;
}

// The relationships of `part` ("xl/workbook.xml": "xl/_rels/workbook.xml.rels").
std::map<std::string, Relationship> RelationshipsOf(ZipArchive& zip, const std::string& part) {
    const std::string folder = FolderOf(part);
    const std::string base = part.substr(part.rfind('/') + 1);
    return RelationshipsIn(zip, (folder.empty() ? "" : folder + "/") + "_rels/" + base + ".rels", folder);
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Text with the _xHHHH_ escapes of Office Open XML taken back ("_x000D_" is a carriage return).
std::string Unescaped(const char* text) {
    std::string out;
    for (const char* c = text; *c; ++c) {
        if (c[0] == '_' && c[1] == 'x' && IsHex(c[2]) && IsHex(c[3]) && IsHex(c[4]) && IsHex(c[5]) && c[6] == '_') {
            AppendUtf8(out, static_cast<char32_t>(std::strtol(std::string(c + 2, 4).c_str(), nullptr, 16)));
            c += 6;
            continue;
        }
        out += *c;
    }
    return out;
}

// The text of a shared string or an inline string: its <t>, or the <t> of each of its runs
// (phonetic hints left out).
std::string StringItemText(const pugi::xml_node& item) {
    std::string text;
    for (pugi::xml_node child : item.children()) {
        if (Is(child, "t"))
            text += Unescaped(child.child_value());
        else if (Is(child, "r"))
            text += Unescaped(Child(child, "t").child_value());
    }
    return text;
}

// "B3": column 1, row 2. False when the text is not a cell reference within the sheet's limits.
bool ParseReference(const char* reference, size_t& column, size_t& row) {
    size_t letters = 0;
    size_t c = 0;
    for (; *reference >= 'A' && *reference <= 'Z' && letters < 4; ++reference, ++letters)
        c = c * 26 + (*reference - 'A' + 1);
    if (letters == 0 || c > kSheetColumnLimit) return false;
    size_t r = 0;
    size_t digits = 0;
    for (; *reference >= '0' && *reference <= '9' && digits < 8; ++reference, ++digits) r = r * 10 + (*reference - '0');
    if (*reference || r == 0 || r > kSheetRowLimit) return false;
    column = c - 1;
    row = r - 1;
    return true;
}

std::optional<std::string> NonEmpty(std::string text) {
    if (text.empty()) return std::nullopt;
    return text;
}

SheetCell CellValue(const pugi::xml_node& cell, const std::vector<std::string>& sharedStrings) {
    const std::string type = Attribute(cell, "t").value();
    if (type == "inlineStr") return NonEmpty(StringItemText(Child(cell, "is")));
    const pugi::xml_node valueNode = Child(cell, "v");
    if (!valueNode) return std::nullopt;
    const char* value = valueNode.child_value();
    if (type == "s") {
        char* end = nullptr;
        const unsigned long index = std::strtoul(value, &end, 10);
        if (end == value || *end || index >= sharedStrings.size())
            throw Error("cell " + std::string(Attribute(cell, "r").value()) + " names shared string " + value +
                        ", which the workbook does not have");
        return NonEmpty(sharedStrings[index]);
    }
    if (type == "b") return NonEmpty(std::string(value) == "1" || std::string(value) == "true" ? "1" : "0");
    if (type.empty() || type == "n") {
        char* end = nullptr;
        const double number = std::strtod(value, &end);
        if (end != value && *end == 0) return SpreadsheetNumberText(number);
    }
    return NonEmpty(Unescaped(value));  // str (a formula's text), e (an error such as #N/A), d
}

SheetCells ReadCells(const pugi::xml_document& document, const std::vector<std::string>& sharedStrings,
                     const std::string& part) {
    SheetCells sheet;
    CellBudget budget;
    const pugi::xml_node data = Child(Child(document, "worksheet"), "sheetData");
    size_t rowIndex = 0;
    for (pugi::xml_node row : data.children()) {
        if (!Is(row, "row")) continue;
        if (const pugi::xml_attribute r = Attribute(row, "r")) {
            const unsigned long long number = r.as_ullong();
            if (number == 0 || number > kSheetRowLimit)
                throw Error("the part " + part + " has a row numbered " + r.value());
            rowIndex = static_cast<size_t>(number - 1);
        }
        if (rowIndex >= kSheetRowLimit) throw Error("the part " + part + " has more rows than a sheet can hold");
        size_t columnIndex = 0;
        for (pugi::xml_node cell : row.children()) {
            if (!Is(cell, "c")) continue;
            if (const pugi::xml_attribute reference = Attribute(cell, "r")) {
                size_t referencedRow = 0;
                if (!ParseReference(reference.value(), columnIndex, referencedRow) || referencedRow != rowIndex)
                    throw Error("the part " + part + " has a cell named \"" + reference.value() + "\" in row " +
                                std::to_string(rowIndex + 1));
            }
            if (columnIndex >= kSheetColumnLimit)
                throw Error("the part " + part + " has more columns than a sheet can hold");
            SheetCell value = CellValue(cell, sharedStrings);
            if (value) {
                budget.Spend(32 + value->size() +
                             32 * (rowIndex >= sheet.rows.size() ? rowIndex + 1 - sheet.rows.size() : 0));
                if (sheet.rows.size() <= rowIndex) sheet.rows.resize(rowIndex + 1);
                std::vector<SheetCell>& cells = sheet.rows[rowIndex];
                if (cells.size() <= columnIndex) {
                    budget.Spend(32 * (columnIndex + 1 - cells.size()));
                    cells.resize(columnIndex + 1);
                }
                cells[columnIndex] = std::move(value);
                if (columnIndex + 1 > sheet.width) sheet.width = columnIndex + 1;
            }
            ++columnIndex;
        }
        ++rowIndex;
    }
    return sheet;
}

}  // namespace

bool IsXlsxWorkbook(const ZipArchive& zip) { return zip.Has("[Content_Types].xml") || zip.Has("xl/workbook.xml"); }

std::optional<SheetCells> ReadXlsxSheet(ZipArchive& zip, const std::string& sheetName) {
    std::string workbookPart = "xl/workbook.xml";
    for (const auto& [id, relationship] : RelationshipsIn(zip, "_rels/.rels", ""))
        if (EndsWith(relationship.type, "/officeDocument")) workbookPart = relationship.part;
    const pugi::xml_document workbook = ParsePart(zip, workbookPart, true);
    const auto relationships = RelationshipsOf(zip, workbookPart);

    std::optional<std::string> sheetPart;
    for (pugi::xml_node sheet : Child(Child(workbook, "workbook"), "sheets").children()) {
        if (!Is(sheet, "sheet") ||
            SpreadsheetLowerCase(Attribute(sheet, "name").value()) != SpreadsheetLowerCase(sheetName))
            continue;
        const auto relationship = relationships.find(Attribute(sheet, "id").value());
        if (relationship == relationships.end())
            throw Error("the sheet \"" + std::string(Attribute(sheet, "name").value()) + "\" has no part in " +
                        workbookPart);
        sheetPart = relationship->second.part;
        break;
    }
    if (!sheetPart) return std::nullopt;

    std::vector<std::string> sharedStrings;
    for (const auto& [id, relationship] : relationships)
        if (EndsWith(relationship.type, "/sharedStrings")) {
            const pugi::xml_document strings = ParsePart(zip, relationship.part, true);
            for (pugi::xml_node item : Child(strings, "sst").children())
                if (Is(item, "si")) sharedStrings.push_back(StringItemText(item));
        }
    const pugi::xml_document sheet = ParsePart(zip, *sheetPart, true);
    return ReadCells(sheet, sharedStrings, *sheetPart);
}

}  // namespace kestrova
