#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/canopen/can_side.h"
#include "core/canopen/spreadsheet_import.h"
#include "core/project/loaded_document.h"
#include "core/project/project_context.h"

namespace kestrova {

// Stored PDOs of the CAN-to-CAN bridge: SDO objects of one bus attached to the PDOs of the
// other, each with the PDO bytes that become its high and low SDO byte.
//
// Documents: rpdodef.xml (read only): one row per PDO, `cobid` its name, bit 1 of
// `en_bypass` its side. sdo.xml (read only): SDO access rows, bit 0 of `conf` the side, and
// `IndexA`/`SubindexA` the pairs a new SDO must not repeat. sdopdo.xml: root `sdopdo`, one
// `row` per correlated SDO with index, subindex, nrpdo (PDO number, + 128 on side B) and
// poscomp (byte selection).

// A correlated SDO.
struct TClSdo {
    std::string index;
    std::string subindex;
    std::string byteSelection;  // decimal text of high x 16 + low

    bool operator==(const TClSdo& other) const;
};

struct TClPdo {
    std::string name;  // cobid
    int number = 0;    // 1 for the first PDO of a side
    std::vector<TClSdo> sdos;
};

// An SDO access row of sdo.xml, as the validation compares it.
struct SdoAccessEntry {
    std::string index;     // IndexA
    std::string subindex;  // SubindexA
};

struct StoredPdoSide {
    std::vector<TClPdo> pdos;
    std::vector<SdoAccessEntry> access;
};

struct StoredPdoPages {
    std::array<StoredPdoSide, 2> sides;

    StoredPdoSide& Side(CanSide side) { return sides[SideIndex(side)]; }
    const StoredPdoSide& Side(CanSide side) const { return sides[SideIndex(side)]; }
};

// Loading the three documents in turn; each is read on its own, and each failure adds its
// message ("File SDO XML not found", "Error in reading file PDO XML"...). Without
// rpdodef.xml both sides have no PDOs, so no sdopdo.xml row finds its PDO.
struct StoredPdoLoad {
    StoredPdoPages pages;
    std::vector<std::string> messages;
    bool readFailed = false;  // a document exists but could not be read whole
    // The rows of sdopdo.xml kept, and those left out: a row without its PDO (none of that
    // number on its side, rpdodef.xml missing or cut short), a row that could not be read and
    // the rows after it.
    RowsRead sdoPdoRows;
};
StoredPdoLoad LoadStoredPdos(const std::string& sdoPath, const std::string& rpdoPath, const std::string& sdoPdoPath);
// The same for the project: sdo.xml and rpdodef.xml in its directory, sdopdo.xml at its path.
StoredPdoLoad LoadStoredPdos(const ProjectContext& context);

// Byte selection: the positions 0 ("none") to 8 ("B8") of the two radio groups.
std::string ByteSelectionText(int high, int low);
struct ByteSelection {
    int high = 0;  // (value div 16) mod 16
    int low = 0;   // value mod 16
};
// Throws Error when the text is not an integer.
ByteSelection ByteSelectionOf(const std::string& text);

inline constexpr const char* kSdoAlreadyExists = "Index or Subindex Not Valid,Sdo Already Exists";
inline constexpr const char* kSdoNotValid = "Index or Subindex Not Valid";

// Where an SDO sits: its PDO's and its own position in the side's lists.
struct SdoPlace {
    size_t pdo = 0;
    size_t sdo = 0;
};
// The refusal message for an SDO with these texts on `side` (compared as integers with the
// side's SDO access entries, then with its correlated SDOs other than `self`); nothing when
// accepted. Throws Error for a text that is not an integer, once it is compared.
std::optional<std::string> CheckSdo(const StoredPdoPages& pages, CanSide side, const std::string& index,
                                    const std::string& subindex, std::optional<SdoPlace> self = std::nullopt);
// New SDO under the PDO at `pdo`, and Modify of the SDO at `place`: the refusal, or nothing
// when done.
std::optional<std::string> NewSdo(StoredPdoPages& pages, CanSide side, size_t pdo, const TClSdo& sdo);
std::optional<std::string> ModifySdo(StoredPdoPages& pages, CanSide side, SdoPlace place, const TClSdo& sdo);
void DeleteSdo(StoredPdoPages& pages, CanSide side, SdoPlace place);

// The nrpdo of an SDO of the PDO numbered `number`.
int NrPdo(CanSide side, int number);

// OK: each side's SDOs of all PDOs ordered by (index, subindex) as integers, equal ones in
// scan order (PDO by PDO); throws Error (nothing written) for a text that is not an integer.
void SaveStoredPdos(const std::string& path, const StoredPdoPages& pages);

// Export sdopdo.csv: side A, then side B, PDO by PDO, one line per SDO: index, subindex,
// nrpdo, byte selection.
std::vector<std::vector<std::string>> StoredPdoExportLines(const StoredPdoPages& pages);

// Import of the sheet "sdopdo": once the sheet is found, every PDO loses its SDOs; then each
// record (index, subindex, nrpdo, byte selection) is attached to its PDO, or dropped when the
// side has no PDO of that number. Throws Error for an nrpdo that is null, not an integer
// or PDO number 0.
inline constexpr const char* kSdoPdoSheet = "sdopdo";
void ClearCorrelatedSdos(StoredPdoPages& pages);
void ImportSdoPdoRecord(StoredPdoPages& pages, const SpreadsheetRecord& record);
// Import from the workbook: the PDOs lose their SDOs once the sheet is found (before its
// first record, or at its end when it holds none), then the records are attached; a failure
// is shown, the SDOs imported before it stay. Returns whether the whole sheet was imported.
bool ImportStoredPdos(Dialogs& dialogs, const std::string& workbookPath, StoredPdoPages& pages);

}  // namespace kestrova
