#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "core/project/dialogs.h"
#include "core/project/project_context.h"
#include "core/report/project_summary.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace kestrova {

class ByteMapWidget;

// "Project Overview": the whole project at once. The byte map of the PROFIBUS input and output
// data drawn, the lists of the report (communication, frames, timers, module layout, files) on
// tabs, the lint warnings below them, and "Save Report..." for the same report as PDF or HTML.
// Every showing reads the project afresh; so does an editor's OK, when the editor was opened by
// a double-click on a warning.
class TFOverview : public QDialog {
    Q_OBJECT
public:
    TFOverview(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    // Opens the editor holding a warning's row (document "Receive_Frame.xml", row from 1; 0 for
    // the document as a whole) with that row selected; true when it ended with OK.
    using RowOpener = std::function<bool(const std::string& document, int row)>;
    void SetRowOpener(RowOpener opener) { rowOpener_ = std::move(opener); }

    // Reads the project and shows the window modally. A project that cannot be read is reported
    // and the window does not open.
    void ShowModal();
    // The show handler alone: false (reported) when the project cannot be read.
    bool Reload();

    // Double-click on warning `index` (from 0): the editor of its row.
    void OpenWarning(int index);
    // "Save Report...": the save dialog, then the report in the format its name ends in.
    void SaveReportClick();
    // "Replay Trace...": a recorded bus through the receive list (its own window), then the input
    // data's final bytes shown in the byte map's cells.
    void ReplayTraceClick();

    const std::optional<ProjectSummary>& Summary() const { return summary_; }
    ByteMapWidget* ByteMap() const { return byteMap_; }
    QTabWidget* Tabs() const { return tabs_; }
    QListWidget* Warnings() const { return warnings_; }

private:
    void Fill();

    ProjectContext& context_;
    Dialogs& dialogs_;
    RowOpener rowOpener_;
    std::optional<ProjectSummary> summary_;
    QLabel* heading_;
    QLabel* refusal_;
    QTabWidget* tabs_;
    ByteMapWidget* byteMap_;
    QLabel* warningHeading_;
    QListWidget* warnings_;
    QLabel* status_;
    QPushButton* replayButton_;
    QPushButton* saveButton_;
    QPushButton* closeButton_;
};

}  // namespace kestrova
