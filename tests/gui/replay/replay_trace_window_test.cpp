#include "gui/replay/replay_trace_window.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "core/outputs/output_fixture.h"
#include "core/replay/trace_replay.h"
#include "gui/app/application_windows.h"
#include "support/modal.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

using namespace kestrova;
using kestrova::testing::RecordingDialogs;
using kestrova::testing::TempDir;
using kestrova::testing::WhenModalShown;
using kestrova::testing::WriteText;

class ReplayTraceWindowTest : public QObject {
    Q_OBJECT

    // A project with one receive row (speed from source 0) and a trace that sends it twice.
    struct Project : kestrova::testing::OutputProject {
        std::string trace = directory() + "/bus.log";
        Project() {
            WritePargen();
            WriteReceive({Normal()});
            WriteText(trace, "(1.000000) can0 18FEF100#0102030405060708\n(1.100000) can0 18FEF100#11\n");
        }
    };

private slots:
    void showsTheSummaryAndReturnsTheFinalInputBytes() {
        Project project;
        RecordingDialogs dialogs;
        dialogs.openAnswers.push_back(project.trace);
        QString title, summary, input;
        WhenModalShown([&](QWidget* shown) {
            title = shown->windowTitle();
            summary = shown->findChild<QPlainTextEdit*>("summaryText")->toPlainText();
            input = shown->findChild<QPlainTextEdit*>("inputAreaText")->toPlainText();
            shown->findChild<QPushButton*>("closeButton")->click();
        });
        const std::vector<uint8_t> bytes = RunReplayTrace(project.context(), dialogs, nullptr);
        QCOMPARE(bytes, (std::vector<uint8_t>{0x11, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(title, QString("Replay Trace"));
        QCOMPARE(dialogs.openRequests.size(), size_t(1));
        QCOMPARE(dialogs.openRequests[0].initialDirectory, project.context().projectDirectory);
        // the same texts as kestrova-cli replay
        const ReplayRun run = RunReplay(project.context(), project.trace);
        QCOMPARE(summary.toStdString(), ReplaySummaryText(run.project, run.result));
        QCOMPARE(input.toStdString(), ReplayInputAreaText(run.project, run.result));
        QVERIFY(dialogs.messages.empty());
    }

    void cancelOrRefusalShowsNoWindowAndOpenedByItsClassName() {
        Project project;
        RecordingDialogs dialogs;
        TFReplay window(project.context(), dialogs);
        QVERIFY(window.ShowModal().empty());  // no trace chosen
        QVERIFY(dialogs.messages.empty());
        WriteText(project.trace, "no frame here\n");
        QVERIFY(!window.Replay(project.trace));
        QCOMPARE(dialogs.Texts(), (std::vector<std::string>{"The trace " + project.trace + " holds no CAN frame."}));
        QVERIFY(!window.isVisible());

        TempDir exe;
        ApplicationWindows windows(exe.path(), dialogs);
        QVERIFY(windows.Open("TFReplay"));  // opened by its class name, cancelled at the file dialog
        QCOMPARE(dialogs.openRequests.size(), size_t(2));
    }
};

QTEST_MAIN(ReplayTraceWindowTest)
#include "replay_trace_window_test.moc"
