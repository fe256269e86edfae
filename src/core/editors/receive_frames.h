#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/editors/editor_table.h"

namespace kestrova {

// Receive_Frame.xml: root `Receive_Frames`, one `row` per frame the gateway takes from the
// CAN side, ten attributes per row. The list ends at the first empty "Data Page".
namespace receive_column {
enum : size_t {
    DataPage,
    Pgn,
    SourceAddress,
    TransportProtocol,
    StartByte,
    ByteCount,
    CancelData,
    OnRequest,
    OnRequestTime,
    Mnemonic,
    Count,
};
}  // namespace receive_column

inline constexpr size_t kReceiveFrameRows = 30;
inline constexpr int kMaxInputBytes = 244;       // PROFIBUS input data of all frames together
inline constexpr int kMaxTransportBytes = 1785;  // largest transport-protocol message

const TableLayout& ReceiveFramesLayout();

// The table of the document at `path` (an empty table when it does not exist). Throws Error
// when the document cannot be read whole.
std::vector<TableRow> LoadReceiveFrames(const std::string& path);

// The first failing check of the table, as the error box shows it; nothing when it passes.
std::optional<std::string> CheckReceiveFrames(const std::vector<TableRow>& rows);

// Rewrites the whole document from the table (after the checks passed).
void SaveReceiveFrames(const std::string& path, const std::vector<TableRow>& rows);
// The text SaveReceiveFrames writes, for a caller that replaces several documents together.
std::string ReceiveFramesText(const std::vector<TableRow>& rows);

}  // namespace kestrova
