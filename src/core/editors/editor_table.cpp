#include "core/editors/editor_table.h"

#include "core/project/error.h"
#include "core/project/integer_text.h"

namespace kestrova {
namespace {

const std::string kEmptyText;

bool IsBlank(const std::string& text) { return TrimBlanks(text).empty(); }

std::string RowName(const TableLayout& layout, size_t row) {
    return layout.rowNamePrefix + (row < layout.rowLabels.size() ? layout.rowLabels[row] : std::to_string(row + 1));
}

}  // namespace

bool FlagTicked(const std::string& text) { return text == kFlagTicked; }

std::string ToggledFlag(const std::string& text) { return FlagTicked(text) ? kFlagCleared : kFlagTicked; }

std::string ClearedCell(CellKind kind, const std::string& text) {
    if (kind != CellKind::Flag || text.empty()) return {};
    return kFlagCleared;
}

TableColumn TextColumn(std::string heading, std::string attribute, bool required) {
    TableColumn column;
    column.heading = std::move(heading);
    column.attribute = std::move(attribute);
    column.required = required;
    return column;
}

TableColumn FlagColumn(std::string heading, std::string attribute) {
    TableColumn column = TextColumn(std::move(heading), std::move(attribute));
    column.kind = CellKind::Flag;
    column.fallback = kFlagCleared;
    return column;
}

std::vector<std::string> NumberedLabels(size_t count, const std::string& prefix) {
    std::vector<std::string> labels;
    for (size_t i = 1; i <= count; ++i) labels.push_back(prefix + std::to_string(i));
    return labels;
}

std::vector<TableRow> EmptyTable(const TableLayout& layout) {
    return std::vector<TableRow>(layout.RowCount(), TableRow(layout.columns.size()));
}

const std::string& CellText(const std::vector<TableRow>& rows, size_t row, size_t column) {
    if (row >= rows.size() || column >= rows[row].size()) return kEmptyText;
    return rows[row][column];
}

size_t ListLength(const TableLayout& layout, const std::vector<TableRow>& rows) {
    size_t length = 0;
    while (length < layout.RowCount() && !CellText(rows, length, layout.keyColumn).empty()) ++length;
    return length;
}

bool RowIsEmpty(const TableLayout& layout, const std::vector<TableRow>& rows, size_t row) {
    for (size_t column = 0; column < layout.columns.size(); ++column) {
        const auto& text = CellText(rows, row, column);
        const bool holdsData =
            layout.columns[column].kind == CellKind::Flag ? !text.empty() && text != kFlagCleared : !IsBlank(text);
        if (holdsData) return false;
    }
    return true;
}

std::optional<size_t> FirstStrayRow(const TableLayout& layout, const std::vector<TableRow>& rows) {
    for (size_t row = ListLength(layout, rows); row < layout.RowCount(); ++row)
        if (!RowIsEmpty(layout, rows, row)) return row;
    return std::nullopt;
}

std::optional<std::string> CheckNoStrayRows(const TableLayout& layout, const std::vector<TableRow>& rows) {
    const auto stray = FirstStrayRow(layout, rows);
    if (!stray) return std::nullopt;
    const size_t endRow = ListLength(layout, rows);
    const std::string end = RowName(layout, endRow);
    const std::string lost = RowName(layout, *stray);
    if (*stray == endRow)
        return "Error in " + lost + "!! The " + layout.keyName + " is empty, so the list ends there and " + lost +
               " would not be saved. Fill in the " + layout.keyName + " or clear " + lost + ".";
    return "Error in " + lost + "!! The list ends at " + end + ", whose " + layout.keyName + " is empty, so " + lost +
           " would not be saved. Fill in " + end + " or clear " + lost + ".";
}

void CheckCapacity(const TableLayout& layout, size_t entries, const std::string& path) {
    if (entries <= layout.RowCount()) return;
    throw Error("The file " + path + " holds " + std::to_string(entries) + " " + layout.entryNoun + ", more than the " +
                std::to_string(layout.RowCount()) +
                " this window can show. It is not opened, so that saving cannot drop any of them.");
}

std::vector<TableRow> LoadRowTable(const TableLayout& layout, const std::string& path) {
    auto table = EmptyTable(layout);
    const auto document = ReadRowList(path);
    if (!document) return table;
    CheckCapacity(layout, document->rows.size(), path);
    for (size_t row = 0; row < document->rows.size(); ++row) {
        const XmlRow& element = document->rows[row];
        for (size_t column = 0; column < layout.columns.size(); ++column) {
            const TableColumn& rule = layout.columns[column];
            std::string text =
                rule.required ? element.Required(rule.attribute) : element.Guarded(rule.attribute, rule.fallback);
            table[row][column] = rule.decode ? rule.decode(text) : std::move(text);
        }
    }
    return table;
}

std::vector<NamedTexts> RowListEntries(const TableLayout& layout, const std::vector<TableRow>& rows) {
    std::vector<NamedTexts> entries;
    const size_t length = ListLength(layout, rows);
    for (size_t row = 0; row < length; ++row) {
        NamedTexts attributes;
        for (size_t column = 0; column < layout.columns.size(); ++column) {
            const TableColumn& rule = layout.columns[column];
            const std::string& text = CellText(rows, row, column);
            if (!rule.encode) {
                attributes.emplace_back(rule.attribute, text);
            } else if (auto encoded = rule.encode(text)) {
                attributes.emplace_back(rule.attribute, std::move(*encoded));
            }
        }
        entries.push_back(std::move(attributes));
    }
    return entries;
}

std::string TrimBlanks(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}

bool IntegerInRange(const std::string& text, int32_t low, int32_t high) {
    const int32_t value = IntegerText(text, -1);
    return value >= low && value <= high;
}

}  // namespace kestrova
