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
inline constexpr const char* kNotImportable = "not importable";
inline constexpr int kSendFrameBytes = 8;

// The J1939 fields of a message; nothing for what is not a J1939 frame: an 11-bit identifier,
// one of more than 29 bits, the extended data page set, or a frame format of plain CAN
// ("StandardCAN...").
std::optional<J1939Identifier> J1939FieldsOf(const DbcMessage& message);

// Why the message cannot become a row of the list: the problem of its definition, "not a
// J1939 frame", for a send frame "longer than 8 bytes"; nothing when it can.
std::optional<std::string> ImportRefusal(const DbcMessage& message, FrameList list);

// What a listing notes for a message: "not importable (line 12): <problem>" for a message with
// a problem of its own, else the list's refusal (without a list: "not a J1939 frame" where that
// applies); empty for a message that can be imported.
std::string MessageNote(const DbcMessage& message, std::optional<FrameList> list = std::nullopt);

// The row a J1939 message becomes, with `sourceAddress` (as given, blanks trimmed) or else the
// identifier's. Receive: data page, PGN ("0xFEF1"; for PDU1 the destination in the low byte),
// source address, transport protocol "Y" with start byte 1 and the length for a message longer
// than 8 bytes (else "N"), "N" for Cancel Data and On Request, the name as Mnemonic. Send:
// priority, data page, PGN, source address, "Data Change", the name.
TableRow FrameRow(const DbcMessage& message, FrameList list,
                  const std::optional<std::string>& sourceAddress = std::nullopt);

// The comment and the signal names, for a list of messages to choose from.
std::string MessageDescription(const DbcMessage& message);
// Whether a message shows under a filter text: its name, BO_ name, PGN, comment or a signal name
// holds the text (case ignored); an empty filter shows every message.
bool MessageMatchesFilter(const DbcMessage& message, const std::string& filter);

// The messages a selection names, each once, in the order named: a message's full name or its
// BO_ name, or a PGN ("0xFEF1"; "0x1FEF1" for data page 1; "0xEA00" takes a PDU1 message to any
// destination, "0xEA05" the one to destination 5) taking every message of that PGN. Throws
// Error for a name or PGN the file does not hold, a BO_ name shared by several messages, and a
// message the list cannot take.
std::vector<const DbcMessage*> SelectMessages(const DbcFile& dbc, const std::vector<std::string>& selection,
                                              FrameList list);

// A message chosen for a list, with the sender's address given for it (nothing: the one of its
// identifier).
struct ChosenMessage {
    const DbcMessage* message = nullptr;
    std::optional<std::string> sourceAddress;
};

// Refuses a source address the list cannot take (receive 0 to 239, send 0 to 255), naming the
// message and `where` the sender's address is given: "EEC1: source address 254 cannot be
// received; give the sender's address (--sa)". Nothing when the list takes it.
std::optional<std::string> SourceAddressRefusal(const std::string& name, const std::string& sourceAddress,
                                                FrameList list, const std::string& where);

// Refuses new rows with the same data page, PGN and source address (as numbers) as a row of the
// table or as another new row, naming both; `names` are those of the new rows. Nothing when
// every new row is a frame of its own.
std::optional<std::string> RepeatedFrameRefusal(FrameList list, const std::vector<TableRow>& table,
                                                const std::vector<TableRow>& rows,
                                                const std::vector<std::string>& names);

// Puts the rows into the first empty rows of the table, returning the rows used; nothing (and
// the table unchanged) when there are not enough empty rows.
std::optional<std::vector<size_t>> PlaceRows(const TableLayout& layout, std::vector<TableRow>& table,
                                             const std::vector<TableRow>& rows);
// The refusal when they do not fit: "<title> has N empty rows; the M chosen frames do not fit."
std::string NoRoomMessage(FrameList list, const TableLayout& layout, const std::vector<TableRow>& table, size_t wanted);

// Puts the rows of the chosen messages into the first empty rows of the list's table and returns
// the rows used, in the order chosen. Throws Error (the table unchanged) for a source address
// the list cannot take (`where` says where the sender's address is given), a frame the list
// already holds or chosen twice, or too few empty rows.
std::vector<size_t> AddMessageRows(FrameList list, std::vector<TableRow>& table,
                                   const std::vector<ChosenMessage>& chosen, const std::string& where);

struct DbcImportResult {
    std::vector<std::pair<std::string, size_t>> receiveRows, sendRows;  // message name, table row
};

// The command-line import: appends the selected messages to Receive_Frame.xml and
// Send_Frame.xml of the project, every one with `sourceAddress` when given (--sa). The rows are
// added by AddMessageRows and the lists must then pass the editors' own OK checks; the first
// failure is thrown as Error and nothing is written. Both documents are replaced together or
// not at all. A list with an empty selection is left alone.
DbcImportResult ImportDbcMessages(const ProjectContext& context, const DbcFile& dbc,
                                  const std::vector<std::string>& receive, const std::vector<std::string>& send,
                                  const std::optional<std::string>& sourceAddress = std::nullopt);

// The command-line listing: a heading line, then one line per message (name, identifier,
// priority, data page, J1939 PGN, destination address of a PDU1 frame, source address, length,
// note), and the same as CSV with a header line.
std::string DbcListText(const DbcFile& dbc);
std::string DbcListCsv(const DbcFile& dbc);

}  // namespace kestrova
