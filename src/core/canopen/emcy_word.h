#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/canopen/can_side.h"
#include "core/canopen/spreadsheet_import.h"
#include "core/project/loaded_document.h"

namespace kestrova {

// EMCY words of the CAN-to-CAN bridge (emcyword.xml). A word ties the EMCY producer `id` on
// one bus to the SDO object `index`/`subindex` on the other; each of its 16 bits carries two
// mask bytes and a combined EMCY byte value (byte 1 x 16 + byte 2, modulo 65536).
//
// emcyword.xml: root `emcyword`, one `row` per word, side A words first, then side B, with
// the attributes index_addrm, subindex, extdata (0 side A, 1 side B), devid and, for n = 0
// to 15, bit<n>_b0, bit<n>_b1, bit<n>_poscomp.

inline constexpr size_t kEmcyWordBits = 16;
inline constexpr size_t kEmcyWordAttributes = 52;
// A word's tree nodes: the word node, then one node per bit.
inline constexpr size_t kTreeNodesPerWord = 1 + kEmcyWordBits;

// The texts of one bit of a word; all empty when the word is made.
struct ClEbm {
    std::string maskByte1;  // bit<n>_b0
    std::string maskByte2;  // bit<n>_b1
    std::string combined;   // bit<n>_poscomp

    bool operator==(const ClEbm& other) const;
};

struct TClWEmcy {
    std::string index;     // index_addrm
    std::string subindex;  // subindex
    std::string id;        // devid
    std::array<ClEbm, kEmcyWordBits> bits;
    int number = 0;  // the number of its tree node "W<number>", fixed when the node is made

    bool operator==(const TClWEmcy& other) const;
};

// The two pages of the window: side A ("CanA", extdata 0) and side B ("CanB", extdata 1).
struct EmcyWordPages {
    std::array<std::vector<TClWEmcy>, 2> sides;

    std::vector<TClWEmcy>& Side(CanSide side) { return sides[SideIndex(side)]; }
    const std::vector<TClWEmcy>& Side(CanSide side) const { return sides[SideIndex(side)]; }
};

// What a node of a page's tree stands for, from its position among all nodes of the tree.
struct EmcyTreeNode {
    size_t word = 0;
    std::optional<size_t> bit;  // nothing for the word node
};
EmcyTreeNode TreeNodeAt(size_t position);
// Caption of the outer group box when the node at `position` is shown: "Word n°1 Emcy Define ".
std::string WordCaption(size_t position);
// Caption of the inner group box: "Mask BIT n°3 Define" for bit 3, "Mask BIT n°  Define" for a
// word node.
std::string BitCaption(size_t position);
inline constexpr const char* kWordCaptionEmpty = "Word n°  Emcy Define";
inline constexpr const char* kBitCaptionEmpty = "Mask BIT n°  Define";

// Appends a word with a node number: the words loaded or imported are numbered by their
// count on their side; a new word gets the number of the page's last word plus 1.
void AddLoadedWord(EmcyWordPages& pages, CanSide side, TClWEmcy word);

// Loading emcyword.xml: the words read, and the message to show ("File XML not found",
// "Error in reading file XML"); words read before a failure stay. `rows` counts the words
// kept and the rows left out (also a row whose extdata names no side).
inline constexpr const char* kEmcyWordNotFound = "File XML not found";
inline constexpr const char* kEmcyWordReadError = "Error in reading file XML";
struct EmcyWordLoad {
    EmcyWordPages pages;
    std::optional<std::string> message;
    RowsRead rows;
};
EmcyWordLoad LoadEmcyWords(const std::string& path);

inline constexpr const char* kEmcyIndexNotValid = "Index Not Valid";
// New: refused with "Index Not Valid" when a text is empty or another word of the page has
// the same three texts. The selection does not move.
std::optional<std::string> NewEmcyWord(EmcyWordPages& pages, CanSide side, const std::string& index,
                                       const std::string& subindex, const std::string& id);
// Modify of a word node: the same check, the word itself not compared.
std::optional<std::string> ModifyEmcyWord(EmcyWordPages& pages, CanSide side, size_t word, const std::string& index,
                                          const std::string& subindex, const std::string& id);
// Modify of a bit node: takes the mask bytes as they stand, then the two EMCY byte texts
// (integer texts; throws Error for one that is not, the mask bytes already taken).
void ModifyEmcyBit(TClWEmcy& word, size_t bit, const std::string& maskByte1, const std::string& maskByte2,
                   const std::string& emcyByte1, const std::string& emcyByte2);
void DeleteEmcyWord(EmcyWordPages& pages, CanSide side, size_t word);

// The combined value of the two EMCY byte texts, and back: byte 1 = v div 16, byte 2 =
// v mod 16 of v = value modulo 65536. An empty combined value (a bit never set) shows as two
// empty fields; another text that is not an integer throws Error.
std::string CombinedEmcyValue(const std::string& emcyByte1, const std::string& emcyByte2);
std::array<std::string, 2> EmcyBytesOf(const std::string& combined);

// OK: each side ordered by (ID, index, subindex) as integers, equal words later-in-list
// first; throws Error (nothing written) when one of these texts is not an integer.
void SaveEmcyWords(const std::string& path, const EmcyWordPages& pages);

// Export emcyword.csv: one line per word in list order, side A then side B: index,
// subindex, ID, side, then mask byte 1, mask byte 2, combined value of each bit.
std::vector<std::vector<std::string>> EmcyWordExportLines(const EmcyWordPages& pages);

// Import of one record of the sheet "emcyword": index, subindex, side, ID, then three fields
// per bit (null fields give empty texts). Side 0 or 1 adds the word to that page, any other
// integer drops the record. Throws Error for a side that is not an integer or a record
// with fewer than 52 fields.
inline constexpr const char* kEmcyWordSheet = "emcyword";
void ImportEmcyWordRecord(EmcyWordPages& pages, const SpreadsheetRecord& record);
// Import from the workbook: both pages emptied, then the sheet's records; a failure is
// shown, the words imported before it stay. Returns whether the whole sheet was imported.
bool ImportEmcyWords(Dialogs& dialogs, const std::string& workbookPath, EmcyWordPages& pages);

}  // namespace kestrova
