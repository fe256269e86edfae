#include "core/dbc/dbc_import.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>

#include "core/editors/receive_frames.h"
#include "core/editors/send_frames.h"
#include "core/project/error.h"
#include "core/project/integer_text.h"

namespace kestrova {
namespace {

// What an editor's OK does with its list, for the list a message goes to.
struct ListEditor {
    const char* title;
    const TableLayout& layout;
    std::string DocumentPaths::*document;
    std::function<std::vector<TableRow>(const std::string&)> load;
    std::function<std::optional<std::string>(const std::vector<TableRow>&)> check;
    std::function<void(const std::string&, const std::vector<TableRow>&)> save;
};

ListEditor EditorOf(FrameList list) {
    if (list == FrameList::Receive)
        return {"Receive Frames",  ReceiveFramesLayout(), &DocumentPaths::receiveFrame,
                LoadReceiveFrames, CheckReceiveFrames,    SaveReceiveFrames};
    return {"Send Frames",  SendFramesLayout(), &DocumentPaths::sendFrame,
            LoadSendFrames, CheckSendFrames,    SaveSendFrames};
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string IdentifierText(const DbcMessage& message) {
    char text[16];
    std::snprintf(text, sizeof text, message.extended ? "0x%08X" : "0x%03X", static_cast<unsigned>(message.identifier));
    return text;
}

// name, identifier, priority, data page, PGN, source address, length, note
std::vector<std::string> ListFields(const DbcMessage& message) {
    const auto fields = J1939FieldsOf(message);
    if (!fields)
        return {message.name, IdentifierText(message), "", "", "", "", std::to_string(message.length), kNotJ1939Frame};
    return {message.name,
            IdentifierText(message),
            std::to_string(fields->priority),
            std::to_string(fields->dataPage),
            FramePgnText(fields->Pgn()),
            std::to_string(fields->sourceAddress),
            std::to_string(message.length),
            ""};
}

}  // namespace

std::optional<J1939Identifier> J1939FieldsOf(const DbcMessage& message) {
    if (!message.extended || message.frameFormat.rfind("StandardCAN", 0) == 0) return std::nullopt;
    const J1939Identifier fields = DecodeJ1939Identifier(message.identifier);
    if (fields.extendedDataPage != 0) return std::nullopt;
    return fields;
}

std::optional<std::string> ImportRefusal(const DbcMessage& message, FrameList list) {
    if (!J1939FieldsOf(message)) return std::string(kNotJ1939Frame);
    if (list == FrameList::Send && message.length > kSendFrameBytes) return std::string("longer than 8 bytes");
    return std::nullopt;
}

TableRow FrameRow(const DbcMessage& message, FrameList list) {
    const J1939Identifier fields = J1939FieldsOf(message).value_or(J1939Identifier{});
    const std::string dataPage = std::to_string(fields.dataPage);
    const std::string pgn = FramePgnText(fields.Pgn());
    const std::string address = std::to_string(fields.sourceAddress);
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
         {message.name, fields ? FramePgnText(fields->Pgn()) : std::string(), MessageDescription(message)})
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
        const auto pgn = TryIntegerText64(wanted);
        if (!pgn) throw Error("The DBC file holds no message named " + EchoedText(wanted) + ".");
        bool found = false;
        for (const auto& message : dbc.messages) {
            const auto fields = J1939FieldsOf(message);
            if (fields && fields->FullPgn() == *pgn) {
                take(message);
                found = true;
            }
        }
        if (!found) throw Error("The DBC file holds no J1939 message of PGN " + EchoedText(wanted) + ".");
    }
    return chosen;
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

DbcImportResult ImportDbcMessages(const ProjectContext& context, const DbcFile& dbc,
                                  const std::vector<std::string>& receive, const std::vector<std::string>& send) {
    struct Pending {
        ListEditor editor;
        std::vector<TableRow> table;
    };
    std::vector<Pending> writes;
    DbcImportResult result;
    for (const FrameList list : {FrameList::Receive, FrameList::Send}) {
        const auto chosen = SelectMessages(dbc, list == FrameList::Receive ? receive : send, list);
        if (chosen.empty()) continue;
        ListEditor editor = EditorOf(list);
        std::vector<TableRow> table = editor.load(context.documents.*editor.document);
        std::vector<TableRow> rows;
        for (const DbcMessage* message : chosen) rows.push_back(FrameRow(*message, list));
        const auto placed = PlaceRows(editor.layout, table, rows);
        if (!placed) throw Error(NoRoomMessage(list, editor.layout, table, rows.size()));
        if (const auto failure = editor.check(table)) throw Error(*failure);
        auto& report = list == FrameList::Receive ? result.receiveRows : result.sendRows;
        for (size_t i = 0; i < chosen.size(); ++i) report.emplace_back(chosen[i]->name, (*placed)[i]);
        writes.push_back({std::move(editor), std::move(table)});
    }
    for (const auto& write : writes) write.editor.save(context.documents.*write.editor.document, write.table);
    return result;
}

std::string DbcListText(const DbcFile& dbc) {
    std::vector<std::vector<std::string>> table;
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
            const std::string field = line[i].empty() && i < 6 ? "-" : line[i];
            text += field;
            if (i + 1 < line.size()) text += std::string(std::max(widths[i], size_t{1}) - field.size() + 2, ' ');
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out += text + "\n";
    }
    return out;
}

std::string DbcListCsv(const DbcFile& dbc) {
    std::string out = "name,identifier,priority,data_page,pgn,source_address,length,note\r\n";
    for (const auto& message : dbc.messages) {
        const auto fields = ListFields(message);
        for (size_t i = 0; i < fields.size(); ++i) out += fields[i] + (i + 1 < fields.size() ? "," : "\r\n");
    }
    return out;
}

}  // namespace kestrova
