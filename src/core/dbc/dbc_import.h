#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/dbc/dbc_file.h"
#include "core/dbc/j1939_identifier.h"
#include "core/editors/editor_table.h"
#include "core/project/project_context.h"

namespace kestrova {

// The frame list a DBC message is imported into.
enum class FrameList { Receive, Send };

inline constexpr const char* kNotJ1939Frame = "not a J1939 frame";
inline constexpr int kSendFrameBytes = 8;

// The J1939 fields of a message; nothing for what is not a J1939 frame: an 11-bit identifier,
// the extended data page set, or a frame format of plain CAN ("StandardCAN...").
std::optional<J1939Identifier> J1939FieldsOf(const DbcMessage& message);

// Why the message cannot become a row of the list ("not a J1939 frame"; for a send frame
// "longer than 8 bytes"); nothing when it can.
std::optional<std::string> ImportRefusal(const DbcMessage& message, FrameList list);

// The row a J1939 message becomes. Receive: data page, PGN ("0xFEF1"), source address,
// transport protocol "Y" with start byte 1 and the length for a message longer than 8 bytes
// (else "N"), "N" for Cancel Data and On Request, the name as Mnemonic. Send: priority, data
// page, PGN, source address, "Data Change", the name.
TableRow FrameRow(const DbcMessage& message, FrameList list);

// The comment and the signal names, for a list of messages to choose from.
std::string MessageDescription(const DbcMessage& message);
// Whether a message shows under a filter text: its name, PGN, comment or a signal name holds
// the text (case ignored); an empty filter shows every message.
bool MessageMatchesFilter(const DbcMessage& message, const std::string& filter);

// The messages a selection names, each once, in the order named: a message name, or a PGN
// ("0xFEF1"; "0x1FEF1" for data page 1) taking every message of that PGN. Throws Error for a
// name or PGN the file does not hold and for a message the list cannot take.
std::vector<const DbcMessage*> SelectMessages(const DbcFile& dbc, const std::vector<std::string>& selection,
                                              FrameList list);

// Puts the rows into the first empty rows of the table, returning the rows used; nothing (and
// the table unchanged) when there are not enough empty rows.
std::optional<std::vector<size_t>> PlaceRows(const TableLayout& layout, std::vector<TableRow>& table,
                                             const std::vector<TableRow>& rows);
// The refusal when they do not fit: "<title> has N empty rows; the M chosen frames do not fit."
std::string NoRoomMessage(FrameList list, const TableLayout& layout, const std::vector<TableRow>& table, size_t wanted);

struct DbcImportResult {
    std::vector<std::pair<std::string, size_t>> receiveRows, sendRows;  // message name, table row
};

// Appends the selected messages to Receive_Frame.xml and Send_Frame.xml of the project. The
// lists must then pass the editors' own OK checks; the first failure (or a list without room)
// is thrown as Error and nothing is written. A list with an empty selection is left alone.
DbcImportResult ImportDbcMessages(const ProjectContext& context, const DbcFile& dbc,
                                  const std::vector<std::string>& receive, const std::vector<std::string>& send);

// The command-line listing: one line per message (name, identifier, priority, data page, PGN,
// source address, length, and "not a J1939 frame" where that applies), and the same as CSV
// with a header line.
std::string DbcListText(const DbcFile& dbc);
std::string DbcListCsv(const DbcFile& dbc);

}  // namespace kestrova
