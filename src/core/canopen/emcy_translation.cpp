#include "core/canopen/emcy_translation.h"

#include <algorithm>

#include "core/canopen/selection_order.h"
#include "core/project/error.h"
#include "core/project/integer_text.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

constexpr const char* kRootName = "emcydef";
constexpr const char* kBypassSet = "bypass_set";
constexpr int32_t kSideB = 32;
// The writing order compares IDs up to this value; entries above it come last.
constexpr int32_t kIdCeiling = 999999;

TClEmcy EntryOf(std::array<std::string, kEmcyTextCount> texts, int32_t bypass) {
    const BypassSetFields fields = BypassSetOf(bypass);
    return TClEmcy{std::move(texts), fields.enabled, fields.code};
}

void Append(EmcyPage& page, TClEmcy entry, std::string item) {
    page.entries.push_back(std::move(entry));
    page.items.push_back(std::move(item));
}

}  // namespace

const char* const kEmcyAttributes[kEmcyTextCount] = {
    "id_dev",       "mask_eq_ec",   "mask_eq_er",   "mask_eq_m1",   "mask_eq_m2",   "mask_eq_m3",
    "enmask_eq_ec", "enmask_eq_er", "enmask_eq_m1", "enmask_eq_m2", "enmask_eq_m3",
};

int32_t bypass_set(const TClEmcy& entry, CanSide side) {
    return entry.code * 2 + (entry.enabled ? 1 : 0) + (side == CanSide::B ? kSideB : 0);
}

BypassSetFields BypassSetOf(int32_t value) {
    return {(value & 1) != 0, (value >> 1) & 0xF, (value & kSideB) ? CanSide::B : CanSide::A};
}

void EmcyPages::SelectFirstItems() {
    for (EmcyPage& page : sides)
        if (!page.items.empty()) page.selected = 0;
}

EmcyLoad LoadEmcyTranslation(const std::string& path) {
    EmcyLoad load;
    std::optional<size_t> total;
    try {
        const auto document = ReadRowList(path);
        if (!document) {
            load.message = kEmcyNotFound;
            return load;
        }
        total = document->rows.size();
        for (const XmlRow& row : document->rows) {
            std::array<std::string, kEmcyTextCount> texts;
            for (size_t i = 0; i < kEmcyTextCount; ++i) {
                texts[i] = row.Required(kEmcyAttributes[i]);
                if (texts[i].empty()) texts[i] = "0";
            }
            const int32_t bypass = IntegerText(row.Required(kBypassSet));
            std::string item = texts[kEmcyId];
            Append(load.pages.Side(BypassSetOf(bypass).side), EntryOf(std::move(texts), bypass), std::move(item));
            ++load.rows.kept;
        }
    } catch (const Error&) {
        load.message = kEmcyReadingError;
        total ? load.rows.StopAt(*total) : load.rows.StopUnread();
    }
    load.pages.SelectFirstItems();
    return load;
}

TClEmcy EmcyEntryOf(const EmcyForm& form) {
    TClEmcy entry{form.texts, form.enabled, form.code};
    for (std::string& text : entry.texts)
        if (text.empty()) text = "0";
    return entry;
}

std::optional<std::string> CheckEmcyId(const EmcyPage& page, const std::string& id, bool isNew) {
    const std::string selectedText = page.selected ? page.items.at(*page.selected) : std::string();
    if (!isNew && id == selectedText) return std::nullopt;
    if (id.empty() || std::find(page.items.begin(), page.items.end(), id) != page.items.end()) return kEmcyIdNotValid;
    return std::nullopt;
}

std::optional<std::string> NewEmcy(EmcyPage& page, const EmcyForm& form) {
    if (page.selected)
        if (auto refusal = CheckEmcyId(page, form.texts[kEmcyId], true)) return refusal;
    Append(page, EmcyEntryOf(form), form.texts[kEmcyId]);
    page.selected = page.items.size() - 1;
    return std::nullopt;
}

std::optional<std::string> ModifyEmcy(EmcyPage& page, const EmcyForm& form) {
    if (!page.selected) return std::nullopt;
    if (auto refusal = CheckEmcyId(page, form.texts[kEmcyId], false)) return refusal;
    page.entries.at(*page.selected) = EmcyEntryOf(form);
    page.items.at(*page.selected) = form.texts[kEmcyId];
    return std::nullopt;
}

void DeleteEmcy(EmcyPage& page) {
    if (!page.selected) return;
    page.entries.erase(page.entries.begin() + static_cast<std::ptrdiff_t>(*page.selected));
    page.items.erase(page.items.begin() + static_cast<std::ptrdiff_t>(*page.selected));
    page.selected.reset();
}

std::vector<size_t> EmcyWriteOrder(const EmcyPage& page) {
    std::vector<int32_t> keys;
    keys.reserve(page.items.size());
    for (const std::string& item : page.items) keys.push_back(IntegerText(item));
    return SelectionOrder(keys, kIdCeiling, TieOrder::LaterFirst);
}

void WriteEmcyTranslation(const std::string& path, const EmcyPages& pages) {
    std::vector<NamedTexts> rows;
    for (CanSide side : kCanSides) {
        const EmcyPage& page = pages.Side(side);
        for (size_t at : EmcyWriteOrder(page)) {
            const TClEmcy& entry = page.entries.at(at);
            NamedTexts row;
            for (size_t i = 0; i < kEmcyTextCount; ++i) row.emplace_back(kEmcyAttributes[i], entry.texts[i]);
            row.emplace_back(kBypassSet, std::to_string(bypass_set(entry, side)));
            rows.push_back(std::move(row));
        }
    }
    WriteRowList(path, kRootName, rows);
}

std::vector<CsvLine> EmcyExportLines(const EmcyPages& pages) {
    std::vector<CsvLine> lines;
    for (CanSide side : kCanSides)
        for (const TClEmcy& entry : pages.Side(side).entries) {
            CsvLine line(entry.texts.begin(), entry.texts.end());
            line.push_back(std::to_string(bypass_set(entry, side)));
            lines.push_back(std::move(line));
        }
    return lines;
}

bool ImportEmcyTranslation(Dialogs& dialogs, const std::string& workbookPath, EmcyPages& pages) {
    pages = EmcyPages();
    const bool imported =
        ImportSpreadsheetSheet(dialogs, workbookPath, kEmcySheet, [&](const SpreadsheetRecord& record) {
            std::array<std::string, kEmcyTextCount> texts;
            for (size_t i = 0; i < kEmcyTextCount; ++i) texts[i] = record.Text(i);
            const int32_t bypass = IntegerText(record.Text(kEmcyTextCount));
            std::string item = texts[kEmcyId];
            Append(pages.Side(BypassSetOf(bypass).side), EntryOf(std::move(texts), bypass), std::move(item));
        });
    pages.SelectFirstItems();
    return imported;
}

}  // namespace kestrova
