#include "core/canopen/stored_pdo.h"

#include <cstdint>
#include <tuple>

#include "core/canopen/selection_order.h"
#include "core/project/error.h"
#include "core/project/integer_text.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

constexpr const char* kRootName = "sdopdo";
// The ordering on OK compares (index, subindex); SDOs above this key ("0x999999") follow the
// others.
constexpr int32_t kOrderCeiling = 0x999999;
constexpr int32_t kSideBFlag = 128;  // nrpdo bit 7
constexpr int32_t kPdoNumberBits = 0x7F;

// The side and PDO number an nrpdo text names; throws Error for PDO number 0.
std::pair<CanSide, size_t> PdoOf(const std::string& nrpdo) {
    const int32_t value = IntegerText(nrpdo);
    const size_t number = static_cast<size_t>(value & kPdoNumberBits);
    if (number == 0) throw Error("the PDO number in '" + EchoedText(nrpdo) + "' is 0, the first PDO is 1");
    return {(value & kSideBFlag) ? CanSide::B : CanSide::A, number};
}

// Attaches the SDO to the PDO numbered `number` of the side, when the side has it.
void Attach(StoredPdoPages& pages, CanSide side, size_t number, TClSdo sdo) {
    auto& pdos = pages.Side(side).pdos;
    if (number <= pdos.size()) pdos[number - 1].sdos.push_back(std::move(sdo));
}

void ReadSdoAccess(const std::string& path, StoredPdoLoad& load) {
    try {
        const auto document = ReadRowList(path);
        if (!document) {
            load.messages.emplace_back("File SDO XML not found");
            return;
        }
        for (const XmlRow& row : document->rows) {
            SdoAccessEntry entry{row.Required("IndexA"), row.Required("SubindexA")};
            const CanSide side = (IntegerText(row.Required("conf")) & 1) ? CanSide::B : CanSide::A;
            load.pages.Side(side).access.push_back(std::move(entry));
        }
    } catch (const Error&) {
        load.messages.emplace_back("Error in reading file SDO XML");
        load.readFailed = true;
    }
}

void ReadPdos(const std::string& path, StoredPdoLoad& load) {
    try {
        const auto document = ReadRowList(path);
        if (!document) {
            load.messages.emplace_back("File PDO XML not found");
            return;
        }
        for (const XmlRow& row : document->rows) {
            const CanSide side = (IntegerText(row.Required("en_bypass")) & 2) ? CanSide::B : CanSide::A;
            auto& pdos = load.pages.Side(side).pdos;
            pdos.push_back({row.Required("cobid"), static_cast<int>(pdos.size() + 1), {}});
        }
    } catch (const Error&) {
        load.messages.emplace_back("Error in reading file PDO XML");
        load.readFailed = true;
    }
}

void ReadCorrelatedSdos(const std::string& path, StoredPdoLoad& load) {
    RowsRead& rows = load.sdoPdoRows;
    std::optional<size_t> total;
    try {
        const auto document = ReadRowList(path);
        if (!document) {
            load.messages.emplace_back("File SDOPDO XML not found");
            return;
        }
        total = document->rows.size();
        for (const XmlRow& row : document->rows) {
            const auto [side, number] = PdoOf(row.Required("nrpdo"));
            if (number > load.pages.Side(side).pdos.size()) {
                ++*rows.dropped;
                continue;
            }
            Attach(load.pages, side, number,
                   {row.Required("index"), row.Required("subindex"), row.Required("poscomp")});
            ++rows.kept;
        }
    } catch (const Error&) {
        load.messages.emplace_back("Error in reading file SDOPDO XML");
        load.readFailed = true;
        total ? rows.StopAt(*total) : rows.StopUnread();
    }
}

bool SamePair(const std::string& index, const std::string& subindex, int32_t indexValue, int32_t subindexValue) {
    return IntegerText(index) == indexValue && IntegerText(subindex) == subindexValue;
}

}  // namespace

bool TClSdo::operator==(const TClSdo& other) const {
    return std::tie(index, subindex, byteSelection) == std::tie(other.index, other.subindex, other.byteSelection);
}

StoredPdoLoad LoadStoredPdos(const std::string& sdoPath, const std::string& rpdoPath, const std::string& sdoPdoPath) {
    StoredPdoLoad load;
    ReadSdoAccess(sdoPath, load);
    ReadPdos(rpdoPath, load);
    ReadCorrelatedSdos(sdoPdoPath, load);
    return load;
}

StoredPdoLoad LoadStoredPdos(const ProjectContext& context) {
    return LoadStoredPdos(context.ProjectFilePath("sdo.xml"), context.ProjectFilePath("rpdodef.xml"),
                          context.documents.sdoPdo);
}

std::string ByteSelectionText(int high, int low) { return std::to_string(high * 16 + low); }

ByteSelection ByteSelectionOf(const std::string& text) {
    const uint32_t value = static_cast<uint32_t>(IntegerText(text));
    return {static_cast<int>((value / 16) % 16), static_cast<int>(value % 16)};
}

std::optional<std::string> CheckSdo(const StoredPdoPages& pages, CanSide side, const std::string& index,
                                    const std::string& subindex, std::optional<SdoPlace> self) {
    const StoredPdoSide& page = pages.Side(side);
    // The typed texts are read as integers only once there is something to compare them with.
    std::optional<std::pair<int32_t, int32_t>> typed;
    const auto value = [&] {
        if (!typed) typed.emplace(IntegerText(index), IntegerText(subindex));
        return *typed;
    };
    for (const auto& entry : page.access) {
        const auto [indexValue, subindexValue] = value();
        if (SamePair(entry.index, entry.subindex, indexValue, subindexValue)) return std::string(kSdoAlreadyExists);
    }
    for (size_t p = 0; p < page.pdos.size(); ++p) {
        for (size_t s = 0; s < page.pdos[p].sdos.size(); ++s) {
            if (self && self->pdo == p && self->sdo == s) continue;
            const auto [indexValue, subindexValue] = value();
            const TClSdo& sdo = page.pdos[p].sdos[s];
            if (SamePair(sdo.index, sdo.subindex, indexValue, subindexValue)) return std::string(kSdoNotValid);
        }
    }
    return std::nullopt;
}

std::optional<std::string> NewSdo(StoredPdoPages& pages, CanSide side, size_t pdo, const TClSdo& sdo) {
    if (auto refusal = CheckSdo(pages, side, sdo.index, sdo.subindex)) return refusal;
    pages.Side(side).pdos.at(pdo).sdos.push_back(sdo);
    return std::nullopt;
}

std::optional<std::string> ModifySdo(StoredPdoPages& pages, CanSide side, SdoPlace place, const TClSdo& sdo) {
    if (auto refusal = CheckSdo(pages, side, sdo.index, sdo.subindex, place)) return refusal;
    pages.Side(side).pdos.at(place.pdo).sdos.at(place.sdo) = sdo;
    return std::nullopt;
}

void DeleteSdo(StoredPdoPages& pages, CanSide side, SdoPlace place) {
    auto& sdos = pages.Side(side).pdos.at(place.pdo).sdos;
    if (place.sdo < sdos.size()) sdos.erase(sdos.begin() + static_cast<std::ptrdiff_t>(place.sdo));
}

int NrPdo(CanSide side, int number) { return number + (side == CanSide::B ? kSideBFlag : 0); }

void SaveStoredPdos(const std::string& path, const StoredPdoPages& pages) {
    using Key = std::pair<int32_t, int32_t>;
    std::vector<NamedTexts> rows;
    for (const CanSide side : kCanSides) {
        std::vector<std::pair<const TClPdo*, const TClSdo*>> scan;
        std::vector<Key> keys;
        for (const TClPdo& pdo : pages.Side(side).pdos) {
            for (const TClSdo& sdo : pdo.sdos) {
                scan.emplace_back(&pdo, &sdo);
                keys.emplace_back(IntegerText(sdo.index), IntegerText(sdo.subindex));
            }
        }
        for (const size_t i : SelectionOrder(keys, Key{kOrderCeiling, kOrderCeiling}, TieOrder::EarlierFirst)) {
            const auto& [pdo, sdo] = scan[i];
            rows.push_back({{"index", sdo->index},
                            {"subindex", sdo->subindex},
                            {"nrpdo", std::to_string(NrPdo(side, pdo->number))},
                            {"poscomp", sdo->byteSelection}});
        }
    }
    WriteRowList(path, kRootName, rows);
}

std::vector<std::vector<std::string>> StoredPdoExportLines(const StoredPdoPages& pages) {
    std::vector<std::vector<std::string>> lines;
    for (const CanSide side : kCanSides)
        for (const TClPdo& pdo : pages.Side(side).pdos)
            for (const TClSdo& sdo : pdo.sdos)
                lines.push_back({sdo.index, sdo.subindex, std::to_string(NrPdo(side, pdo.number)), sdo.byteSelection});
    return lines;
}

void ClearCorrelatedSdos(StoredPdoPages& pages) {
    for (auto& side : pages.sides)
        for (auto& pdo : side.pdos) pdo.sdos.clear();
}

void ImportSdoPdoRecord(StoredPdoPages& pages, const SpreadsheetRecord& record) {
    const auto [side, number] = PdoOf(record.Direct(2));
    Attach(pages, side, number, {record.Text(0), record.Text(1), record.Text(3)});
}

bool ImportStoredPdos(Dialogs& dialogs, const std::string& workbookPath, StoredPdoPages& pages) {
    bool sheetFound = false;
    const bool whole = ImportSpreadsheetSheet(dialogs, workbookPath, kSdoPdoSheet,
                                              [&pages, &sheetFound](const SpreadsheetRecord& record) {
                                                  if (!sheetFound) ClearCorrelatedSdos(pages);
                                                  sheetFound = true;
                                                  ImportSdoPdoRecord(pages, record);
                                              });
    if (whole && !sheetFound) ClearCorrelatedSdos(pages);
    return whole;
}

}  // namespace kestrova
