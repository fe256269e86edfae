#include "core/canopen/emcy_word.h"

#include <cstdint>
#include <tuple>

#include "core/canopen/selection_order.h"
#include "core/project/error.h"
#include "core/project/integer_text.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

constexpr const char* kRootName = "emcyword";
// The ordering on OK compares (ID, index, subindex); words above this key follow the others.
constexpr int32_t kOrderCeiling = 999999;

std::string BitAttribute(size_t bit, const char* field) { return "bit" + std::to_string(bit) + "_" + field; }

bool SameTexts(const TClWEmcy& word, const std::string& index, const std::string& subindex, const std::string& id) {
    return word.index == index && word.subindex == subindex && word.id == id;
}

std::optional<std::string> CheckWord(const std::vector<TClWEmcy>& words, std::optional<size_t> self,
                                     const std::string& index, const std::string& subindex, const std::string& id) {
    if (index.empty() || subindex.empty() || id.empty()) return std::string(kEmcyIndexNotValid);
    for (size_t i = 0; i < words.size(); ++i)
        if (i != self && SameTexts(words[i], index, subindex, id)) return std::string(kEmcyIndexNotValid);
    return std::nullopt;
}

void AddWord(EmcyWordPages& pages, CanSide side, TClWEmcy word, int number) {
    word.number = number;
    pages.Side(side).push_back(std::move(word));
}

// extdata and the import's side field: 0 side A, 1 side B, anything else no side.
std::optional<CanSide> SideOf(const std::string& text) {
    switch (IntegerText(text)) {
        case 0:
            return CanSide::A;
        case 1:
            return CanSide::B;
        default:
            return std::nullopt;
    }
}

TClWEmcy ReadWord(const XmlRow& row) {
    TClWEmcy word;
    word.index = row.Required("index_addrm");
    word.subindex = row.Required("subindex");
    word.id = row.Required("devid");
    for (size_t bit = 0; bit < kEmcyWordBits; ++bit) {
        word.bits[bit].maskByte1 = row.Required(BitAttribute(bit, "b0"));
        word.bits[bit].maskByte2 = row.Required(BitAttribute(bit, "b1"));
        word.bits[bit].combined = row.Required(BitAttribute(bit, "poscomp"));
    }
    return word;
}

}  // namespace

bool ClEbm::operator==(const ClEbm& other) const {
    return std::tie(maskByte1, maskByte2, combined) == std::tie(other.maskByte1, other.maskByte2, other.combined);
}

bool TClWEmcy::operator==(const TClWEmcy& other) const {
    return std::tie(index, subindex, id, bits, number) ==
           std::tie(other.index, other.subindex, other.id, other.bits, other.number);
}

EmcyTreeNode TreeNodeAt(size_t position) {
    EmcyTreeNode node;
    node.word = position / kTreeNodesPerWord;
    if (const size_t inside = position % kTreeNodesPerWord; inside > 0) node.bit = inside - 1;
    return node;
}

std::string WordCaption(size_t position) {
    return "Word n°" + std::to_string(TreeNodeAt(position).word) + " Emcy Define ";
}

std::string BitCaption(size_t position) {
    const auto bit = TreeNodeAt(position).bit;
    return "Mask BIT n°" + (bit ? std::to_string(*bit) : std::string(" ")) + " Define";
}

void AddLoadedWord(EmcyWordPages& pages, CanSide side, TClWEmcy word) {
    const int number = static_cast<int>(pages.Side(side).size());
    AddWord(pages, side, std::move(word), number);
}

EmcyWordLoad LoadEmcyWords(const std::string& path) {
    EmcyWordLoad load;
    std::optional<size_t> total;
    try {
        const auto document = ReadRowList(path);
        if (!document) {
            load.message = kEmcyWordNotFound;
            return load;
        }
        total = document->rows.size();
        for (const XmlRow& row : document->rows) {
            TClWEmcy word = ReadWord(row);
            if (const auto side = SideOf(row.Required("extdata"))) {
                AddLoadedWord(load.pages, *side, std::move(word));
                ++load.rows.kept;
            } else {
                ++*load.rows.dropped;
            }
        }
    } catch (const Error&) {
        load.message = kEmcyWordReadError;
        total ? load.rows.StopAt(*total) : load.rows.StopUnread();
    }
    return load;
}

std::optional<std::string> NewEmcyWord(EmcyWordPages& pages, CanSide side, const std::string& index,
                                       const std::string& subindex, const std::string& id) {
    auto& words = pages.Side(side);
    if (auto refusal = CheckWord(words, std::nullopt, index, subindex, id)) return refusal;
    TClWEmcy word;
    word.index = index;
    word.subindex = subindex;
    word.id = id;
    AddWord(pages, side, std::move(word), words.empty() ? 0 : words.back().number + 1);
    return std::nullopt;
}

std::optional<std::string> ModifyEmcyWord(EmcyWordPages& pages, CanSide side, size_t word, const std::string& index,
                                          const std::string& subindex, const std::string& id) {
    auto& words = pages.Side(side);
    if (auto refusal = CheckWord(words, word, index, subindex, id)) return refusal;
    words.at(word).index = index;
    words.at(word).subindex = subindex;
    words.at(word).id = id;
    return std::nullopt;
}

void ModifyEmcyBit(TClWEmcy& word, size_t bit, const std::string& maskByte1, const std::string& maskByte2,
                   const std::string& emcyByte1, const std::string& emcyByte2) {
    ClEbm& record = word.bits.at(bit);
    record.maskByte1 = maskByte1;
    record.maskByte2 = maskByte2;
    record.combined = CombinedEmcyValue(emcyByte1, emcyByte2);
}

void DeleteEmcyWord(EmcyWordPages& pages, CanSide side, size_t word) {
    auto& words = pages.Side(side);
    if (word < words.size()) words.erase(words.begin() + static_cast<std::ptrdiff_t>(word));
}

std::string CombinedEmcyValue(const std::string& emcyByte1, const std::string& emcyByte2) {
    const int64_t value = int64_t{IntegerText(emcyByte1)} * 16 + IntegerText(emcyByte2);
    return std::to_string(static_cast<uint64_t>(value) & 0xFFFF);
}

std::array<std::string, 2> EmcyBytesOf(const std::string& combined) {
    if (combined.empty()) return {};
    const uint32_t value = static_cast<uint32_t>(IntegerText(combined)) & 0xFFFF;
    return {std::to_string(value / 16), std::to_string(value % 16)};
}

void SaveEmcyWords(const std::string& path, const EmcyWordPages& pages) {
    using Key = std::tuple<int32_t, int32_t, int32_t>;
    std::vector<NamedTexts> rows;
    for (const CanSide side : kCanSides) {
        const auto& words = pages.Side(side);
        std::vector<Key> keys;
        for (const auto& word : words)
            keys.emplace_back(IntegerText(word.id), IntegerText(word.index), IntegerText(word.subindex));
        const Key ceiling{kOrderCeiling, kOrderCeiling, kOrderCeiling};
        for (const size_t i : SelectionOrder(keys, ceiling, TieOrder::LaterFirst)) {
            const TClWEmcy& word = words[i];
            NamedTexts row{{"index_addrm", word.index},
                           {"subindex", word.subindex},
                           {"extdata", side == CanSide::A ? "0" : "1"},
                           {"devid", word.id}};
            for (size_t bit = 0; bit < kEmcyWordBits; ++bit) {
                row.emplace_back(BitAttribute(bit, "b0"), word.bits[bit].maskByte1);
                row.emplace_back(BitAttribute(bit, "b1"), word.bits[bit].maskByte2);
                row.emplace_back(BitAttribute(bit, "poscomp"), word.bits[bit].combined);
            }
            rows.push_back(std::move(row));
        }
    }
    WriteRowList(path, kRootName, rows);
}

std::vector<std::vector<std::string>> EmcyWordExportLines(const EmcyWordPages& pages) {
    std::vector<std::vector<std::string>> lines;
    for (const CanSide side : kCanSides) {
        for (const auto& word : pages.Side(side)) {
            std::vector<std::string> line{word.index, word.subindex, word.id, side == CanSide::A ? "0" : "1"};
            for (const ClEbm& bit : word.bits) {
                line.push_back(bit.maskByte1);
                line.push_back(bit.maskByte2);
                line.push_back(bit.combined);
            }
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

void ImportEmcyWordRecord(EmcyWordPages& pages, const SpreadsheetRecord& record) {
    TClWEmcy word;
    word.index = record.Text(0);
    word.subindex = record.Text(1);
    word.id = record.Text(3);
    for (size_t k = 4; k < kEmcyWordAttributes; ++k) {
        ClEbm& bit = word.bits[(k - 4) / 3];
        (k % 3 == 1 ? bit.maskByte1 : k % 3 == 2 ? bit.maskByte2 : bit.combined) = record.Text(k);
    }
    if (const auto side = SideOf(record.Text(2))) AddLoadedWord(pages, *side, std::move(word));
}

bool ImportEmcyWords(Dialogs& dialogs, const std::string& workbookPath, EmcyWordPages& pages) {
    pages = {};
    return ImportSpreadsheetSheet(dialogs, workbookPath, kEmcyWordSheet,
                                  [&pages](const SpreadsheetRecord& record) { ImportEmcyWordRecord(pages, record); });
}

}  // namespace kestrova
