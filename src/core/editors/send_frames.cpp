#include "core/editors/send_frames.h"

#include <cctype>

#include "core/project/integer_text.h"

namespace kestrova {
namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

const std::vector<std::string>& TransmissionTypeEntries() {
    static const std::vector<std::string> entries = [] {
        std::vector<std::string> list{"Data Change"};
        for (int timer = 1; timer <= 10; ++timer) list.push_back("On Timer T" + std::to_string(timer));
        return list;
    }();
    return entries;
}

std::string TransmissionTypeText(const std::string& code) {
    const auto& entries = TransmissionTypeEntries();
    const auto value = TryIntegerText(code);
    if (value && *value >= 0 && static_cast<size_t>(*value) < entries.size()) return entries[*value];
    return entries.front();
}

std::optional<std::string> TransmissionTypeCode(const std::string& text) {
    const auto& entries = TransmissionTypeEntries();
    for (size_t index = 0; index < entries.size(); ++index)
        if (SameIgnoringCase(text, entries[index])) return std::to_string(index);
    return std::nullopt;
}

const TableLayout& SendFramesLayout() {
    static const TableLayout layout = [] {
        TableLayout shape;
        shape.labelHeading = "N°";
        shape.rowLabels = NumberedLabels(kSendFrameRows);
        TableColumn transmission = TextColumn("Transmition Type", "TT");
        transmission.kind = CellKind::Pick;
        transmission.entries = TransmissionTypeEntries();
        transmission.decode = TransmissionTypeText;
        transmission.encode = TransmissionTypeCode;
        shape.columns = {
            TextColumn("Priority", "Priority", true),
            TextColumn("Data Page", "DataPage", true),
            TextColumn("PGN", "PGN", true),
            TextColumn("Source Address", "SA", true),
            transmission,
            TextColumn("Mnemonic", "Mnemonic", true),
        };
        shape.keyColumn = send_column::Priority;
        shape.keyName = "Priority";
        shape.rowNamePrefix = "row ";
        shape.entryNoun = "frames";
        return shape;
    }();
    return layout;
}

std::vector<TableRow> LoadSendFrames(const std::string& path) { return LoadRowTable(SendFramesLayout(), path); }

std::optional<std::string> CheckSendFrames(const std::vector<TableRow>& rows) {
    using namespace send_column;
    const TableLayout& layout = SendFramesLayout();
    const size_t length = ListLength(layout, rows);
    for (size_t row = 0; row < length; ++row) {
        const auto cell = [&](size_t column) -> const std::string& { return CellText(rows, row, column); };
        if (!IntegerInRange(cell(Priority), 0, 7)) return "Error!! Priority must be between 0 and 7. ";
        if (!IntegerInRange(cell(DataPage), 0, 1)) return "Error!! Data Page must be 0 or 1. ";
        if (!IntegerInRange(cell(Pgn), 0, 0xFFFF)) return "Error!! PGN must be between 0x0000 and 0xFFFF. ";
        if (!IntegerInRange(cell(SourceAddress), 0, 255)) return "Error!! Source Address must be between 0 and 255. ";
    }
    return CheckNoStrayRows(layout, rows);
}

void SaveSendFrames(const std::string& path, const std::vector<TableRow>& rows) {
    WriteRowList(path, "Receive_Frames", RowListEntries(SendFramesLayout(), rows));
}

std::string SendFramesText(const std::vector<TableRow>& rows) {
    return RowListText("Receive_Frames", RowListEntries(SendFramesLayout(), rows));
}

}  // namespace kestrova
