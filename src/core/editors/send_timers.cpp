#include "core/editors/send_timers.h"

#include "core/project/integer_text.h"

namespace kestrova {

const TableLayout& SendTimersLayout() {
    static const TableLayout layout = [] {
        TableLayout shape;
        shape.labelHeading = "Timer";
        shape.rowLabels = NumberedLabels(kSendTimerRows, "Timer T");
        shape.columns = {TextColumn("Interval (ms)", "")};
        shape.keyColumn = 0;
        shape.keyName = "interval";
        shape.entryNoun = "timers";
        return shape;
    }();
    return layout;
}

std::vector<TableRow> LoadSendTimers(const std::string& path) {
    const TableLayout& layout = SendTimersLayout();
    auto table = EmptyTable(layout);
    const auto intervals = ReadValueList(path);
    if (!intervals) return table;
    CheckCapacity(layout, intervals->size(), path);
    for (size_t row = 0; row < intervals->size(); ++row) table[row][0] = (*intervals)[row];
    return table;
}

std::optional<std::string> CheckSendTimers(const std::vector<TableRow>& rows) {
    const TableLayout& layout = SendTimersLayout();
    const size_t length = ListLength(layout, rows);
    for (size_t row = 0; row < length; ++row) {
        const int64_t interval = IntegerText64(CellText(rows, row, 0), -1);
        if (interval < 1 || interval > 120000) return "Error!! Timer Intervall must be between 1 and 120000 ms. ";
    }
    return CheckNoStrayRows(layout, rows);
}

void SaveSendTimers(const std::string& path, const std::vector<TableRow>& rows) {
    const TableLayout& layout = SendTimersLayout();
    std::vector<std::string> intervals;
    const size_t length = ListLength(layout, rows);
    for (size_t row = 0; row < length; ++row) intervals.push_back(CellText(rows, row, 0));
    WriteValueList(path, "Timers", "Timer", intervals);
}

}  // namespace kestrova
