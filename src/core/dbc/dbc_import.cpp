#include "core/dbc/dbc_import.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>

#include "core/canopen/csv_export.h"
#include "core/editors/receive_frames.h"
#include "core/editors/send_frames.h"
#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/integer_text.h"
#include "core/readback/j1939_lint.h"

namespace kestrova {
namespace {

// What an editor's OK does with its list, for the list a message goes to.
struct ListEditor {
    const char* title;
    const TableLayout& layout;
    std::string DocumentPaths::*document;
    std::function<std::vector<TableRow>(const std::string&)> load;
    std::function<std::optional<std::string>(const std::vector<TableRow>&)> check;
    std::function<std::string(const std::vector<TableRow>&)> text;  // the document the editor's OK writes
    size_t dataPage, pgn, sourceAddress;                            // columns of the frame's identity
    size_t mnemonic;
    int maxSourceAddress;
};

ListEditor EditorOf(FrameList list) {
    if (list == FrameList::Receive)
        return {"Receive Frames",
                ReceiveFramesLayout(),
                &DocumentPaths::receiveFrame,
                LoadReceiveFrames,
                CheckReceiveFrames,
                ReceiveFramesText,
                receive_column::DataPage,
                receive_column::Pgn,
                receive_column::SourceAddress,
                receive_column::Mnemonic,
                239};
    return {"Send Frames",
            SendFramesLayout(),
            &DocumentPaths::sendFrame,
            LoadSendFrames,
            CheckSendFrames,
            SendFramesText,
            send_column::DataPage,
            send_column::Pgn,
            send_column::SourceAddress,
            send_column::Mnemonic,
            255};
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string IdentifierText(const DbcMessage& message) {
    char text[16];
    // An identifier above 29 bits is shown as the file writes it, bit 31 included.
    const uint32_t shown = message.identifier > 0x1FFFFFFF ? message.DbcIdentifier() : message.identifier;
    std::snprintf(text, sizeof text, message.extended ? "0x%08X" : "0x%03X", static_cast<unsigned>(shown));
    return text;
}

// name, identifier, priority, data page, PGN, destination, source address, length, note
std::vector<std::string> ListFields(const DbcMessage& message) {
    const auto fields = J1939FieldsOf(message);
    const std::string note = MessageNote(message);
    if (!fields)
        return {message.name, IdentifierText(message), "", "", "", "", "", std::to_string(message.length), note};
    return {message.name,
            IdentifierText(message),
            std::to_string(fields->priority),
            std::to_string(fields->dataPage),
            FramePgnText(fields->Pgn()),
            fields->Pdu1() ? std::to_string(fields->DestinationAddress()) : std::string(),
            std::to_string(fields->sourceAddress),
            std::to_string(message.length),
            note};
}
constexpr size_t kListNoteField = 8;

FrameIdentity IdentityOf(const ListEditor& editor, const TableRow& row) {
    const auto number = [&](size_t column) { return column < row.size() ? TryIntegerText(row[column]) : std::nullopt; };
    return {number(editor.dataPage), number(editor.pgn), number(editor.sourceAddress)};
}

std::string IdentityText(const FrameIdentity& frame) {
    return "data page " + std::to_string(*frame.dataPage) + ", PGN " + FramePgnText(*frame.pgn) + ", source address " +
           (frame.sourceAddress ? std::to_string(*frame.sourceAddress) : std::string("empty"));
}

}  // namespace

std::optional<J1939Identifier> J1939FieldsOf(const DbcMessage& message) {
    if (!message.extended || message.identifier > 0x1FFFFFFF || message.frameFormat.rfind("StandardCAN", 0) == 0)
        return std::nullopt;
    const J1939Identifier fields = DecodeJ1939Identifier(message.identifier);
    if (fields.extendedDataPage != 0) return std::nullopt;
    return fields;
}

std::optional<std::string> ImportRefusal(const DbcMessage& message, FrameList list) {
    if (!message.problem.empty()) return message.problem;
    if (!J1939FieldsOf(message)) return std::string(kNotJ1939Frame);
    if (list == FrameList::Send && message.length > kSendFrameBytes) return std::string("longer than 8 bytes");
    return std::nullopt;
}

std::string MessageNote(const DbcMessage& message, std::optional<FrameList> list) {
    if (!message.problem.empty())
        return std::string(kNotImportable) + " (line " + std::to_string(message.line) + "): " + message.problem;
    return ImportRefusal(message, list.value_or(FrameList::Receive)).value_or("");
}

TableRow FrameRow(const DbcMessage& message, FrameList list, const std::optional<std::string>& sourceAddress) {
    const J1939Identifier fields = J1939FieldsOf(message).value_or(J1939Identifier{});
    const std::string dataPage = std::to_string(fields.dataPage);
    const std::string pgn = FramePgnText(fields.FramePgn());
    const std::string address = sourceAddress ? TrimBlanks(*sourceAddress) : std::to_string(fields.sourceAddress);
    if (list == FrameList::Send) {
        TableRow row(send_column::Count);
        row[send_column::Priority] = std::to_string(fields.priority);
        row[send_column::DataPage] = dataPage;
        row[send_column::Pgn] = pgn;
        row[send_column::SourceAddress] = address;
        row[send_column::TransmissionType] = TransmissionTypeEntries().front();
        row[send_column::Mnemonic] = message.name;
        return row;
    }
    TableRow row(receive_column::Count);
    const bool transport = message.length > kSendFrameBytes;
    row[receive_column::DataPage] = dataPage;
    row[receive_column::Pgn] = pgn;
    row[receive_column::SourceAddress] = address;
    row[receive_column::TransportProtocol] = transport ? kFlagTicked : kFlagCleared;
    row[receive_column::StartByte] = transport ? "1" : "";
    row[receive_column::ByteCount] = transport ? std::to_string(message.length) : "";
    row[receive_column::CancelData] = kFlagCleared;
    row[receive_column::OnRequest] = kFlagCleared;
    row[receive_column::Mnemonic] = message.name;
    return row;
}

std::string MessageDescription(const DbcMessage& message) {
    std::string text = message.comment;
    if (!message.signalNames.empty()) {
        if (!text.empty()) text += "\n";
        text += "Signals:";
        for (const auto& name : message.signalNames) text += " " + name;
    }
    return text;
}

bool MessageMatchesFilter(const DbcMessage& message, const std::string& filter) {
    const std::string wanted = Lower(TrimBlanks(filter));
    if (wanted.empty()) return true;
    const auto fields = J1939FieldsOf(message);
    for (const std::string& text :
         {message.name, message.symbol, fields ? FramePgnText(fields->Pgn()) : std::string(),
          fields ? FramePgnText(fields->FramePgn()) : std::string(), MessageDescription(message)})
        if (Lower(text).find(wanted) != std::string::npos) return true;
    return false;
}

std::vector<const DbcMessage*> SelectMessages(const DbcFile& dbc, const std::vector<std::string>& selection,
                                              FrameList list) {
    std::vector<const DbcMessage*> chosen;
    const auto take = [&](const DbcMessage& message) {
        if (const auto refusal = ImportRefusal(message, list))
            throw Error(EchoedText(message.name) + " (line " + std::to_string(message.line) +
                        ") cannot be imported into " + EditorOf(list).title + ": " + *refusal + ".");
        if (std::find(chosen.begin(), chosen.end(), &message) == chosen.end()) chosen.push_back(&message);
    };
    for (const auto& entry : selection) {
        const std::string wanted = TrimBlanks(entry);
        if (wanted.empty()) continue;
        const auto named = std::find_if(dbc.messages.begin(), dbc.messages.end(),
                                        [&](const DbcMessage& message) { return message.name == wanted; });
        if (named != dbc.messages.end()) {
            take(*named);
            continue;
        }
        // The name of its BO_ line, cut short where the file gives the full name.
        std::vector<const DbcMessage*> symbols;
        for (const auto& message : dbc.messages)
            if (message.symbol == wanted) symbols.push_back(&message);
        if (symbols.size() > 1) {
            std::string lines;
            for (const auto* message : symbols) lines += (lines.empty() ? "" : ", ") + std::to_string(message->line);
            throw Error("The name " + wanted + " is given to " + std::to_string(symbols.size()) +
                        " messages of the DBC file (lines " + lines + "); choose one by its full name.");
        }
        if (symbols.size() == 1) {
            take(*symbols.front());
            continue;
        }
        const auto pgn = TryIntegerText64(wanted);
        if (!pgn) throw Error("The DBC file holds no message named " + EchoedText(wanted) + ".");
        bool found = false;
        for (const auto& message : dbc.messages) {
            const auto fields = J1939FieldsOf(message);
            // The J1939 PGN, or for PDU1 the 16 bits of the frame lists with the destination.
            if (fields && (fields->FullPgn() == *pgn ||
                           (fields->Pdu1() && fields->dataPage * 0x10000 + fields->FramePgn() == *pgn))) {
                take(message);
                found = true;
            }
        }
        if (!found) throw Error("The DBC file holds no J1939 message of PGN " + EchoedText(wanted) + ".");
    }
    return chosen;
}

std::optional<std::string> SourceAddressRefusal(const std::string& name, const std::string& sourceAddress,
                                                FrameList list, const std::string& where) {
    const int32_t address = IntegerText(sourceAddress, -1);
    const int maxAddress = EditorOf(list).maxSourceAddress;
    if (address >= 0 && address <= maxAddress) return std::nullopt;
    const std::string hint = "; give the sender's address (" + where + ")";
    if (address >= 0 && address <= 255)
        return name + ": source address " + std::to_string(address) + " cannot be " +
               (list == FrameList::Receive ? "received" : "sent") + hint;
    return name + ": \"" + sourceAddress + "\" is not a source address (0 to " + std::to_string(maxAddress) + ")" +
           hint;
}

std::optional<std::string> RepeatedFrameRefusal(FrameList list, const std::vector<TableRow>& table,
                                                const std::vector<TableRow>& rows,
                                                const std::vector<std::string>& names) {
    const ListEditor editor = EditorOf(list);
    std::vector<FrameIdentity> identities;
    for (const auto& row : table) identities.push_back(IdentityOf(editor, row));
    for (const auto& row : rows) identities.push_back(IdentityOf(editor, row));
    for (const auto& [repeat, first] : RepeatedIdentities(identities)) {
        if (repeat < table.size()) continue;  // the list's own repetitions are not the import's
        const std::string& name = names.at(repeat - table.size());
        const std::string identity = IdentityText(identities[repeat]);
        if (first >= table.size())
            return names.at(first - table.size()) + " and " + name + " would both be " + identity + " in " +
                   editor.title + ".";
        const std::string& mnemonic = CellText(table, first, editor.mnemonic);
        return name + " would repeat row " + std::to_string(first + 1) + " of " + editor.title +
               (TrimBlanks(mnemonic).empty() ? std::string() : " (" + mnemonic + ")") + ": " + identity + ".";
    }
    return std::nullopt;
}

std::optional<std::vector<size_t>> PlaceRows(const TableLayout& layout, std::vector<TableRow>& table,
                                             const std::vector<TableRow>& rows) {
    std::vector<size_t> used;
    for (size_t row = 0; row < layout.RowCount() && used.size() < rows.size(); ++row)
        if (RowIsEmpty(layout, table, row)) used.push_back(row);
    if (used.size() < rows.size()) return std::nullopt;
    if (table.size() < layout.RowCount()) table.resize(layout.RowCount(), TableRow(layout.columns.size()));
    for (size_t i = 0; i < rows.size(); ++i) table[used[i]] = rows[i];
    return used;
}

std::string NoRoomMessage(FrameList list, const TableLayout& layout, const std::vector<TableRow>& table,
                          size_t wanted) {
    size_t empty = 0;
    for (size_t row = 0; row < layout.RowCount(); ++row) empty += RowIsEmpty(layout, table, row) ? 1 : 0;
    return std::string(EditorOf(list).title) + " has " + std::to_string(empty) + " empty row" +
           (empty == 1 ? "" : "s") + " of " + std::to_string(layout.RowCount()) + "; the " + std::to_string(wanted) +
           (wanted == 1 ? " chosen frame does not fit." : " chosen frames do not fit.");
}

std::vector<size_t> AddMessageRows(FrameList list, std::vector<TableRow>& table,
                                   const std::vector<ChosenMessage>& chosen, const std::string& where) {
    const ListEditor editor = EditorOf(list);
    std::vector<TableRow> rows;
    std::vector<std::string> names;
    for (const auto& [message, sourceAddress] : chosen) {
        rows.push_back(FrameRow(*message, list, sourceAddress));
        names.push_back(message->name);
        if (const auto refusal = SourceAddressRefusal(message->name, rows.back()[editor.sourceAddress], list, where))
            throw Error(*refusal);
    }
    if (const auto refusal = RepeatedFrameRefusal(list, table, rows, names)) throw Error(*refusal);
    const auto placed = PlaceRows(editor.layout, table, rows);
    if (!placed) throw Error(NoRoomMessage(list, editor.layout, table, rows.size()));
    return *placed;
}

DbcImportResult ImportDbcMessages(const ProjectContext& context, const DbcFile& dbc,
                                  const std::vector<std::string>& receive, const std::vector<std::string>& send,
                                  const std::optional<std::string>& sourceAddress) {
    std::vector<std::pair<std::string, std::string>> documents;  // path, new text
    DbcImportResult result;
    for (const FrameList list : {FrameList::Receive, FrameList::Send}) {
        const auto selected = SelectMessages(dbc, list == FrameList::Receive ? receive : send, list);
        if (selected.empty()) continue;
        const ListEditor editor = EditorOf(list);
        const std::string& path = context.documents.*editor.document;
        std::vector<TableRow> table = editor.load(path);
        std::vector<ChosenMessage> chosen;
        for (const DbcMessage* message : selected) chosen.push_back({message, sourceAddress});
        const auto placed = AddMessageRows(list, table, chosen, "--sa");
        if (const auto failure = editor.check(table)) throw Error(*failure);
        auto& report = list == FrameList::Receive ? result.receiveRows : result.sendRows;
        for (size_t i = 0; i < selected.size(); ++i) report.emplace_back(selected[i]->name, placed[i]);
        documents.emplace_back(path, editor.text(table));
    }
    ReplaceFilesTogether(documents);
    return result;
}

std::string DbcListText(const DbcFile& dbc) {
    std::vector<std::vector<std::string>> table{
        {"Name", "Identifier", "Priority", "DP", "PGN", "Dest", "SA", "Length", "Note"}};
    for (const auto& message : dbc.messages) table.push_back(ListFields(message));
    std::vector<size_t> widths;
    for (const auto& line : table)
        for (size_t i = 0; i < line.size(); ++i) {
            if (widths.size() <= i) widths.push_back(0);
            widths[i] = std::max(widths[i], line[i].size());
        }
    std::string out;
    for (const auto& line : table) {
        std::string text;
        for (size_t i = 0; i < line.size(); ++i) {
            const std::string field = line[i].empty() && i < kListNoteField ? "-" : line[i];
            text += field;
            if (i + 1 < line.size()) text += std::string(std::max(widths[i], size_t{1}) - field.size() + 2, ' ');
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out += text + "\n";
    }
    return out;
}

std::string DbcListCsv(const DbcFile& dbc) {
    std::string out = "name,identifier,priority,data_page,pgn,destination,source_address,length,note\r\n";
    for (const auto& message : dbc.messages) {
        const auto fields = ListFields(message);
        for (size_t i = 0; i < fields.size(); ++i) out += CsvField(fields[i]) + (i + 1 < fields.size() ? "," : "\r\n");
    }
    return out;
}

}  // namespace kestrova
