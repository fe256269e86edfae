#include "core/editors/receive_frames.h"

#include <cstdint>

#include "core/project/integer_text.h"

namespace kestrova {
namespace {

std::string RowError(size_t row, const std::string& text) {
    return "Error in row " + std::to_string(row + 1) + "!! " + text;
}

}  // namespace

const TableLayout& ReceiveFramesLayout() {
    static const TableLayout layout = [] {
        TableLayout shape;
        shape.labelHeading = "N°";
        shape.rowLabels = NumberedLabels(kReceiveFrameRows);
        // clang-format off
        shape.columns = {
            TextColumn("Data Page", "DataPage", true),
            TextColumn("PGN", "PGN", true),
            TextColumn("Source Address", "SA", true),
            FlagColumn("Transport Protocol", "TP"),
            TextColumn("Start Byte", "TP_Start"),
            TextColumn("N° Byte", "TP_NByte"),
            FlagColumn("Cancel Data", "Delete"),
            FlagColumn("On Request", "OnRequest"),
            TextColumn("Time(ms)", "OnReq_Time"),
            TextColumn("Mnemonic", "Mnemonic", true),
        };
        // clang-format on
        shape.keyColumn = receive_column::DataPage;
        shape.keyName = "Data Page";
        shape.rowNamePrefix = "row ";
        shape.entryNoun = "frames";
        return shape;
    }();
    return layout;
}

std::vector<TableRow> LoadReceiveFrames(const std::string& path) { return LoadRowTable(ReceiveFramesLayout(), path); }

std::optional<std::string> CheckReceiveFrames(const std::vector<TableRow>& rows) {
    using namespace receive_column;
    const TableLayout& layout = ReceiveFramesLayout();
    int64_t totalBytes = 0;
    const size_t length = ListLength(layout, rows);
    for (size_t row = 0; row < length; ++row) {
        const auto cell = [&](size_t column) -> const std::string& { return CellText(rows, row, column); };
        if (!IntegerInRange(cell(DataPage), 0, 1)) return "Error!! Data Page must be 0 or 1. ";
        if (!IntegerInRange(cell(Pgn), 0, 0xFFFF)) return "Error!! PGN must be between 0x0000 and 0xFFFF. ";

        // Only an exact "Y" marks a transport-protocol frame; its Source Address may be left empty.
        const bool transport = FlagTicked(cell(TransportProtocol));
        if (!transport) totalBytes += 8;
        const bool checkAddress = !transport || !TrimBlanks(cell(SourceAddress)).empty();
        if (checkAddress && !IntegerInRange(cell(SourceAddress), 0, 239))
            return RowError(row, "The Source Address must be between 0 and 239");

        if (transport) {
            const int32_t start = IntegerText(cell(StartByte), -1);
            if (start < 1 || start > kMaxTransportBytes)
                return RowError(row, "The Start Byte must be between 1 and 1785");
            const int32_t count = IntegerText(cell(ByteCount), -1);
            totalBytes += count;
            if (count < 1 || count > kMaxInputBytes) return RowError(row, "The Number Bytes must be between 1 and 244");
            if (start + count > kMaxTransportBytes)
                return RowError(row, "The Number Bytes plus Start Byte must be minor of 1785");
        }
        if (FlagTicked(cell(OnRequest)) && !IntegerInRange(cell(OnRequestTime), 1, 10000000))
            return RowError(row, "The Time(ms) must be between 1 and 10000000");
    }
    if (totalBytes > kMaxInputBytes)
        return "General Error!! The complete number of bytes must be minor or equal to 244 [" +
               std::to_string(totalBytes) + "]";
    return CheckNoStrayRows(layout, rows);
}

void SaveReceiveFrames(const std::string& path, const std::vector<TableRow>& rows) {
    WriteRowList(path, "Receive_Frames", RowListEntries(ReceiveFramesLayout(), rows));
}

std::string ReceiveFramesText(const std::vector<TableRow>& rows) {
    return RowListText("Receive_Frames", RowListEntries(ReceiveFramesLayout(), rows));
}

}  // namespace kestrova
