#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "core/project/dialogs.h"
#include "core/project/project_context.h"

class QLabel;
class QPlainTextEdit;

namespace kestrova {

// The open dialog of "Replay Trace...".
inline constexpr const char* kTraceFileFilter = "CAN traces (*.log *.asc *.txt)|*.log;*.asc;*.txt|All files (*)|*";

// "Replay Trace": a recorded J1939 bus replayed through the project's receive list; shows the
// replay's summary and the PROFIBUS input data as they stand at the end of the trace.
class TFReplay : public QDialog {
    Q_OBJECT
public:
    TFReplay(const ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    // "Replay Trace...": asks for the trace (starting in the project directory), replays it and
    // shows this window modally. Returns the input data's final bytes (from offset 0, as long
    // as the project's input data), or nothing when no trace was chosen or the replay was
    // refused (its message shown).
    std::vector<uint8_t> ShowModal();

    // Replays the trace into the window without showing it; false after a refusal, whose
    // message the dialogs showed.
    bool Replay(const std::string& tracePath);
    const std::vector<uint8_t>& InputBytes() const { return inputBytes_; }

    QPlainTextEdit* SummaryBox() const { return summary_; }
    QPlainTextEdit* InputBox() const { return input_; }

private:
    const ProjectContext& context_;
    Dialogs& dialogs_;
    QLabel* trace_;
    QPlainTextEdit* summary_;
    QPlainTextEdit* input_;
    std::vector<uint8_t> inputBytes_;
};

// "Replay Trace..." for a window that holds no TFReplay of its own (the Project Overview): the
// same as TFReplay::ShowModal on a window made for this call.
std::vector<uint8_t> RunReplayTrace(const ProjectContext& context, Dialogs& dialogs, QWidget* parent);

}  // namespace kestrova
