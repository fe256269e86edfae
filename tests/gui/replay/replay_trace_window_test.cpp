#include "gui/replay/replay_trace_window.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

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
    struct Project {
        TempDir dir;
        ProjectContext context;
        std::string trace;
        Project() {
            context = MakeProjectContext(dir.path());
            context.projectDirectory = dir / "Demo";
            QDir().mkpath(QString::fromStdString(context.projectDirectory + "/bin"));
            context.DeriveDocumentPaths();
            WriteText(context.documents.pargen,
                      "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0</Can_Send_Data>"
                      "<Can_Delay_Send>1000</Can_Delay_Send><Can_TimeOut>5</Can_TimeOut><Can_Peer>0</Can_Peer>"
                      "<Profi_ID>20</Profi_ID><Profi_Baud>10</Profi_Baud><Profi_Module>0</Profi_Module>"
                      "<Profi_Send_J1939>0</Profi_Send_J1939></Par_Gen>");
            WriteText(
                context.documents.receiveFrame,
                "<Receive_Frames><row DataPage=\"0\" PGN=\"0xFEF1\" SA=\"0\" TP=\"N\" TP_Start=\"\" "
                "TP_NByte=\"\" Delete=\"N\" OnRequest=\"N\" OnReq_Time=\"\" Mnemonic=\"Speed\"/></Receive_Frames>");
            trace = context.projectDirectory + "/bus.log";
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
        const std::vector<uint8_t> bytes = RunReplayTrace(project.context, dialogs, nullptr);
        QCOMPARE(bytes, (std::vector<uint8_t>{0x11, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(title, QString("Replay Trace"));
        QCOMPARE(dialogs.openRequests.size(), size_t(1));
        QCOMPARE(dialogs.openRequests[0].initialDirectory, project.context.projectDirectory);
        QCOMPARE(dialogs.openRequests[0].title, std::string("Replay Trace"));
        // the same texts as kestrova-cli replay
        const ReplayRun run = RunReplay(project.context, project.trace);
        QCOMPARE(summary.toStdString(), ReplaySummaryText(run.project, run.result));
        QCOMPARE(input.toStdString(), ReplayInputAreaText(run.project, run.result));
        QVERIFY(input.contains("11 02 03 04 05 06 07 08"));
        QVERIFY(dialogs.messages.empty());
    }

    void cancelOrRefusalShowsNoWindow() {
        Project project;
        RecordingDialogs dialogs;
        TFReplay window(project.context, dialogs);
        QVERIFY(window.ShowModal().empty());  // no trace chosen
        QVERIFY(dialogs.messages.empty());
        WriteText(project.trace, "no frame here\n");
        QVERIFY(!window.Replay(project.trace));
        QCOMPARE(dialogs.Texts(), (std::vector<std::string>{"The trace " + project.trace + " holds no CAN frame."}));
        QVERIFY(!window.isVisible());
    }

    void openedByItsClassName() {
        TempDir exe;
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        QVERIFY(windows.openers.count("TFReplay"));
        QVERIFY(windows.Open("TFReplay"));  // cancelled at the file dialog
        QCOMPARE(dialogs.openRequests.size(), size_t(1));
    }
};

QTEST_MAIN(ReplayTraceWindowTest)
#include "replay_trace_window_test.moc"
