#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/editors/editor_table.h"

namespace kestrova {

// TimerDef.xml: root `Timers`, one `Timer` element per send timer, its text the interval in
// milliseconds. A timer's number is its position; the list ends at the first empty interval.
inline constexpr size_t kSendTimerRows = 10;

// Rows "Timer T1".."Timer T10", one column "Interval (ms)".
const TableLayout& SendTimersLayout();

// The table of the document at `path` (empty when it does not exist). Throws Error when the
// document does not parse or holds more timers than the table shows.
std::vector<TableRow> LoadSendTimers(const std::string& path);
std::optional<std::string> CheckSendTimers(const std::vector<TableRow>& rows);
void SaveSendTimers(const std::string& path, const std::vector<TableRow>& rows);

}  // namespace kestrova
