#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/canopen/can_side.h"
#include "core/canopen/csv_export.h"
#include "core/canopen/spreadsheet_import.h"
#include "core/project/dialogs.h"
#include "core/project/loaded_document.h"

namespace kestrova {

// EMCY translation of the CAN-to-CAN bridge: per EMCY producer of a side, its compare and
// enable masks, whether its EMCY is passed to the other side and where its ID is placed there.
// Document emcydef.xml: root `emcydef`, one `row` per entry, side A first, each side by ID;
// attributes `id_dev`, the ten masks and `bypass_set` (bit 0 enabled, bits 1-4 the placement
// code, bit 5 the side).

inline constexpr const char* kEmcySheet = "emcydef";  // sheet of the Import, base name of the export
inline constexpr size_t kEmcyTextCount = 11;

// The entry's texts in document order: ID, the five compare masks, the five enable masks.
enum EmcyText : size_t {
    kEmcyId,
    kEmcyMaskEc,
    kEmcyMaskEr,
    kEmcyMaskM1,
    kEmcyMaskM2,
    kEmcyMaskM3,
    kEmcyEnMaskEc,
    kEmcyEnMaskEr,
    kEmcyEnMaskM1,
    kEmcyEnMaskM2,
    kEmcyEnMaskM3
};
extern const char* const kEmcyAttributes[kEmcyTextCount];

// Placement codes 0 ("No traslate ID") to 8 ("Manu3") of the radio group "Allias use".
inline constexpr int kEmcyPlacementCount = 9;

struct TClEmcy {
    std::array<std::string, kEmcyTextCount> texts;
    bool enabled = false;  // "Enabled_Traslate to CANB" / "to CANA"
    int code = 0;          // ID placement, 0 to 15 (0 to 8 used)

    bool operator==(const TClEmcy& other) const {
        return texts == other.texts && enabled == other.enabled && code == other.code;
    }
};

// `bypass_set` of an entry: code x 2 + enabled, plus 32 on side B.
int32_t bypass_set(const TClEmcy& entry, CanSide side);
struct BypassSetFields {
    bool enabled;
    int code;
    CanSide side;
};
BypassSetFields BypassSetOf(int32_t value);  // bits above bit 5 are ignored

// One page: the entries, the list box's item texts beside them, and the selected item.
struct EmcyPage {
    std::vector<TClEmcy> entries;
    std::vector<std::string> items;
    std::optional<size_t> selected;
};

struct EmcyPages {
    std::array<EmcyPage, 2> sides;

    EmcyPage& Side(CanSide side) { return sides[SideIndex(side)]; }
    const EmcyPage& Side(CanSide side) const { return sides[SideIndex(side)]; }
    // After loading and importing: the first item of each list that is not empty is selected.
    void SelectFirstItems();
};

inline constexpr const char* kEmcyNotFound = "File XML not found";
inline constexpr const char* kEmcyReadingError = "Error in reading file XML";
inline constexpr const char* kEmcyIdNotValid = "Index Not Valid";

// Show: both pages filled from the document, empty texts read as "0". No document: empty
// pages and "File XML not found"; a row that cannot be read stops the loading with "Error in
// reading file XML", the entries before it stay, and `rows` counts them and the rows left out.
struct EmcyLoad {
    EmcyPages pages;
    std::optional<std::string> message;
    RowsRead rows;
};
EmcyLoad LoadEmcyTranslation(const std::string& path);

// The fields of a page as typed.
struct EmcyForm {
    std::array<std::string, kEmcyTextCount> texts;
    bool enabled = false;
    int code = 0;
};
// The entry the form gives: an empty text becomes "0".
TClEmcy EmcyEntryOf(const EmcyForm& form);

// The ID check of New (`isNew`) and Modify: runs for New, or when the ID differs from the
// selected item's text; refuses an empty ID and one equal as text to an item of the page.
std::optional<std::string> CheckEmcyId(const EmcyPage& page, const std::string& id, bool isNew);

// New: checked only while an item is selected; appends the entry, with an item holding the ID
// as typed, and selects it. Returns the refusal, if any.
std::optional<std::string> NewEmcy(EmcyPage& page, const EmcyForm& form);
// Modify: nothing without a selected item; otherwise checks the ID, then overwrites the entry
// and its item's text.
std::optional<std::string> ModifyEmcy(EmcyPage& page, const EmcyForm& form);
// Delete: removes the selected entry and its item; no item is selected after it.
void DeleteEmcy(EmcyPage& page);

// Writing order of a side: ascending by the items' integer values (Error when one is not an
// integer), equal values later-in-list first, values above 999999 last in list order.
std::vector<size_t> EmcyWriteOrder(const EmcyPage& page);
// OK: rewrites the document, side A then side B, each in its writing order. Throws Error
// before anything is written when an item is not an integer.
void WriteEmcyTranslation(const std::string& path, const EmcyPages& pages);

// Export lines: per entry, side A then side B in list order, the eleven texts and
// `bypass_set`.
std::vector<CsvLine> EmcyExportLines(const EmcyPages& pages);

// Import: clears both pages, then appends each record of the sheet "emcydef" to the side of
// its field 11 (fields 0 to 10 the texts, as they stand); a failure is shown, the entries
// before it stay. The first items are selected afterwards.
bool ImportEmcyTranslation(Dialogs& dialogs, const std::string& workbookPath, EmcyPages& pages);

}  // namespace kestrova
