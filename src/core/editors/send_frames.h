#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/editors/editor_table.h"

namespace kestrova {

// Send_Frame.xml: root `Receive_Frames` (the same root name as the receive list), one `row`
// per frame the gateway sends. The list ends at the first empty "Priority".
namespace send_column {
enum : size_t {
    Priority,
    DataPage,
    Pgn,
    SourceAddress,
    TransmissionType,
    Mnemonic,
    Count,
};
}  // namespace send_column

inline constexpr size_t kSendFrameRows = 30;

const TableLayout& SendFramesLayout();

// The pick-list entries: "Data Change", then "On Timer T1" to "On Timer T10".
const std::vector<std::string>& TransmissionTypeEntries();

// Document `TT` -> cell: "0".."10" (by IntegerText) give their entry; anything else, or no
// attribute, "Data Change".
std::string TransmissionTypeText(const std::string& code);
// Cell -> `TT`: the entry's index ("0".."10"), compared without regard to case; nothing for a
// text that is none of the entries (the attribute is then left out).
std::optional<std::string> TransmissionTypeCode(const std::string& text);

std::vector<TableRow> LoadSendFrames(const std::string& path);
std::optional<std::string> CheckSendFrames(const std::vector<TableRow>& rows);
void SaveSendFrames(const std::string& path, const std::vector<TableRow>& rows);
// The text SaveSendFrames writes, for a caller that replaces several documents together.
std::string SendFramesText(const std::vector<TableRow>& rows);

}  // namespace kestrova
