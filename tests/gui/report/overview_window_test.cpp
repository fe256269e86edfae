#include "gui/report/overview_window.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "core/editors/send_frames.h"
#include "core/report/report_format.h"
#include "gui/app/application_windows.h"
#include "gui/app/main_window.h"
#include "gui/editors/editor_grid.h"
#include "gui/editors/receive_frames_window.h"
#include "gui/editors/send_frames_window.h"
#include "gui/report/byte_map_widget.h"
#include "support/modal.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {

using testing::ReadText;
using testing::RecordingDialogs;
using testing::TempDir;
using testing::WhenModalShown;
using testing::WriteText;

namespace {

// The program's windows on a copy of the sample project.
struct Program {
    TempDir exe;
    RecordingDialogs dialogs;
    ApplicationWindows windows{exe.path(), dialogs};
    ProjectContext& context = windows.main->Context();

    Program() {
        const std::string project = exe / "PROJECTS/sample";
        std::filesystem::copy(std::string(KESTROVA_TEST_DATA) + "/../../examples/sample_project", project,
                              std::filesystem::copy_options::recursive);
        context.projectName = "/sample";
        context.projectDirectory = project;
        context.DeriveDocumentPaths();
    }
    // Row 2 of Send_Frame.xml sends on timer T3 (two timers are defined); row 2 of
    // Receive_Frame.xml comes from the null address 254.
    void AddWarnings() {
        WriteText(context.documents.sendFrame,
                  "<Receive_Frames><row Priority=\"6\" DataPage=\"0\" PGN=\"0xFF00\" SA=\"128\" TT=\"1\" "
                  "Mnemonic=\"Gateway command\"/><row Priority=\"6\" DataPage=\"0\" PGN=\"0xFF01\" SA=\"128\" TT=\"3\" "
                  "Mnemonic=\"Lamp command\"/></Receive_Frames>");
        std::string receive = ReadText(context.documents.receiveFrame);
        WriteText(context.documents.receiveFrame, receive.replace(receive.find("SA=\"3\""), 6, "SA=\"254\""));
    }
    int WarningRow(const std::string& document) const {
        const auto& warnings = windows.overview->Summary()->warnings;
        for (size_t i = 0; i < warnings.size(); ++i)
            if (warnings[i].document == document) return static_cast<int>(i);
        return -1;
    }
};

void DoubleClick(QListWidget* list, int row) {
    const QRect item = list->visualItemRect(list->item(row));
    QTest::qWait(QApplication::doubleClickInterval() + 50);                  // not the end of an earlier double-click
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());  // the first click of the two
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item.center());
}

}  // namespace

class OverviewWindowTest : public QObject {
    Q_OBJECT

private slots:
    void OpensFromTheMainWindowAboveTheSevenSteps() {
        Program program;
        auto* main = program.windows.main.get();
        main->show();
        auto* button = main->findChild<QPushButton*>("btn_Overview");
        QVERIFY(button);
        QCOMPARE(button->text(), QString("Project Overview"));
        QVERIFY(button->isVisible());
        // the steps keep their order, below the new button
        int previous = button->geometry().bottom();
        for (const char* step : {"New", "btn_Prm_Gen", "btn_Sdo", "Btn_SetPDO", "btn_Pdo", "btn_Gsd", "CreateBin"}) {
            const int top = main->findChild<QPushButton*>(step)->geometry().top();
            QVERIFY2(top > previous, step);
            previous = top;
        }

        bool shown = false;
        WhenModalShown([&](QWidget* modal) {
            auto* overview = qobject_cast<TFOverview*>(modal);
            shown = overview == program.windows.overview;
            if (overview) overview->findChild<QPushButton*>("closeButton")->click();
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(shown);
        auto* overview = program.windows.overview;
        QCOMPARE(overview->windowTitle(), QString("Project Overview"));
        QVERIFY(overview->findChild<QLabel*>("headingLabel")->text().startsWith("Project Overview: sample"));
        QStringList tabs;
        for (int i = 0; i < overview->Tabs()->count(); ++i) tabs << overview->Tabs()->tabText(i);
        QCOMPARE(tabs, QStringList({"Byte map", "Communication", "Receive frames (2)", "Send frames (1)",
                                    "Send timers (2)", "Module layout", "Files"}));
        QCOMPARE(overview->Warnings()->count(), 1);
        QCOMPARE(overview->Warnings()->item(0)->text(), QString("No warnings."));

        // a list that cannot be read: the reason in place of the map
        std::string receive = ReadText(program.context.documents.receiveFrame);
        WriteText(program.context.documents.receiveFrame, receive.replace(receive.find("0xFEF1"), 6, "speed"));
        QVERIFY(overview->Reload());
        QVERIFY(!overview->findChild<QLabel*>("refusalLabel")->isHidden());
        QCOMPARE(overview->findChild<QLabel*>("refusalLabel")->text(),
                 QString("No byte map: Receive_Frame.xml, row 1, PGN: 'speed' is not a valid integer value"));
        QCOMPARE(overview->ByteMap()->InputDrawing().cells.size(), size_t{0});

        // kestrova --window TFOverview
        WhenModalShown([](QWidget* modal) { modal->close(); });
        QVERIFY(program.windows.Open("TFOverview"));

        // without a project: the step dispatch's message, no window
        program.context.projectDirectory.clear();
        main->RunCommand(MainCommand::Overview);
        QCOMPARE(program.dialogs.Texts(), std::vector<std::string>{"Project not valid"});
    }

    void ShowsTheByteMap() {
        Program program;
        auto* overview = program.windows.overview;
        QVERIFY(overview->Reload());
        overview->show();
        ByteMapWidget* map = overview->ByteMap();
        QCOMPARE(map->InputDrawing().cells.size() + map->OutputDrawing().cells.size(), size_t{28 + 8});
        QVERIFY(map->width() >= map->sizeHint().width());

        // the band of R2 drawn in its colour, and its hover text
        const QRect cell = map->CellRect(true, 9);
        const QImage picture = map->grab().toImage();
        const auto& summary = *overview->Summary();
        const QColor band(QString::fromStdString(MapBands(*summary.map, true)[1].colour));
        QCOMPARE(picture.pixelColor(cell.left() + 4, cell.top() + 4).name(), band.name());
        QCOMPARE(map->DescriptionAt(cell.center()),
                 QString("Input byte 9\nR2 Active diagnostic trouble codes: data page 0, PGN 0xFECA, source address "
                         "3, offset 8, length 20, module 1 (slot 1)"));
        QCOMPARE(map->DescriptionAt(QPoint(1, 1)), QString());
    }

    void AWarningsDoubleClickOpensItsEditorOnItsRowAndOkRefreshes() {
        Program program;
        program.AddWarnings();
        auto* overview = program.windows.overview;
        QVERIFY(overview->Reload());
        overview->show();
        QVERIFY(QTest::qWaitForWindowExposed(overview));
        QCOMPARE(overview->Warnings()->count(), 2);
        const int send = program.WarningRow("Send_Frame.xml");
        QVERIFY(send >= 0);

        int currentRow = -1;
        WhenModalShown([&](QWidget* modal) {
            auto* editor = qobject_cast<TFSetPdo*>(modal);
            if (!editor) {
                modal->close();
                return;
            }
            currentRow = editor->Grid()->currentRow();
            editor->Grid()->item(1, EditorGrid::GridColumn(send_column::TransmissionType))->setText("On Timer T2");
            editor->OkClick();
        });
        DoubleClick(overview->Warnings(), send);
        QCOMPARE(currentRow, 1);
        QVERIFY(ReadText(program.context.documents.sendFrame).find("TT=\"2\"") != std::string::npos);
        QCOMPARE(overview->Warnings()->count(), 1);  // refreshed after OK: the warning is gone

        // a receive frame's warning opens the receive frames on its row
        int receiveRow = -1;
        WhenModalShown([&](QWidget* modal) {
            if (auto* editor = qobject_cast<TFSetVar*>(modal)) receiveRow = editor->Grid()->currentRow();
            modal->close();
        });
        DoubleClick(overview->Warnings(), program.WarningRow("Receive_Frame.xml"));
        QCOMPARE(receiveRow, 1);
        QCOMPARE(overview->Warnings()->count(), 1);  // Cancel: nothing to refresh
    }

    void SaveReportWritesBothKinds() {
        Program program;
        auto* overview = program.windows.overview;
        QVERIFY(overview->Reload());
        const std::string html = program.exe / "report.html", pdf = program.exe / "report.pdf";
        program.dialogs.saveAnswers = {html, pdf, program.exe / "report.txt", std::nullopt};
        auto* save = overview->findChild<QPushButton*>("saveReportButton");
        QCOMPARE(save->text(), QString("Save Report..."));
        save->click();
        QCOMPARE(program.dialogs.saveRequests.at(0).filter, std::string(kReportFileFilter));
        QCOMPARE(program.dialogs.saveRequests.at(0).initialDirectory, program.context.projectDirectory);
        QVERIFY(ReadText(html).find("Active diagnostic trouble codes") != std::string::npos);
        QCOMPARE(overview->findChild<QLabel*>("statusLabel")->text(),
                 QString::fromStdString("Report written to " + html));
        save->click();
        QVERIFY(ReadText(pdf).rfind("%PDF-", 0) == 0);
        save->click();
        QCOMPARE(program.dialogs.Texts(), std::vector<std::string>{ReportNameRefusal(program.exe / "report.txt")});
        QVERIFY(!std::filesystem::exists(program.exe / "report.txt"));
        save->click();  // cancelled: nothing
        QCOMPARE(program.dialogs.messages.size(), size_t{1});
    }

    void ReplayTraceShowsTheFinalInputBytesInTheMap() {
        Program program;
        auto* overview = program.windows.overview;
        QVERIFY(overview->Reload());
        // the sample project's first receive row (0xFEF1 from address 0, offset 0) is on this bus
        program.dialogs.openAnswers = {std::string(KESTROVA_TEST_DATA) + "/replay/bus.log", std::nullopt};
        QString shownTitle;
        WhenModalShown([&](QWidget* shown) {
            shownTitle = shown->windowTitle();
            shown->findChild<QPushButton*>("closeButton")->click();
        });
        auto* replay = overview->findChild<QPushButton*>("replayTraceButton");
        QCOMPARE(replay->text(), QString("Replay Trace..."));
        replay->click();
        QCOMPARE(shownTitle, QString("Replay Trace"));
        ByteMapWidget* map = overview->ByteMap();
        QVERIFY(map->DescriptionAt(map->CellRect(true, 1).center()).startsWith("Input byte 1 = 0x19"));
        replay->click();  // cancelled: the bytes stay
        QVERIFY(map->DescriptionAt(map->CellRect(true, 1).center()).startsWith("Input byte 1 = 0x19"));
        QVERIFY(program.dialogs.messages.empty());
        QVERIFY(overview->Reload());  // a new map starts without values
        QVERIFY(map->DescriptionAt(map->CellRect(true, 1).center()).startsWith("Input byte 1\n"));
    }

    // The picture of the README (docs/overview.png):
    //   KESTROVA_OVERVIEW_SCREENSHOT=docs/overview.png QT_QPA_PLATFORM=offscreen build/tests/gui_overview_window_test
    void ScreenshotForTheReadme() {
        const QString path = qEnvironmentVariable("KESTROVA_OVERVIEW_SCREENSHOT");
        if (path.isEmpty()) QSKIP("KESTROVA_OVERVIEW_SCREENSHOT names no file");
        Program program;
        program.AddWarnings();
        auto* overview = program.windows.overview;
        QVERIFY(overview->Reload());
        overview->resize(900, 640);
        overview->show();
        QVERIFY(overview->grab().save(path));
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::OverviewWindowTest)
#include "overview_window_test.moc"
