#include "gui/editors/send_timers_window.h"

#include <QPushButton>
#include <QTest>

#include "grid_typing.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {

using testing::CellAt;
using testing::ContextIn;
using testing::ReadText;
using testing::RecordingDialogs;
using testing::TempDir;
using testing::TypeInCell;
using testing::WriteText;

class SendTimersWindowTest : public QObject {
    Q_OBJECT

private slots:
    void TypedIntervalsAreWrittenAsTimers() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        WriteText(context.documents.timerDef, "<Timers><Timer>100</Timer><Timer>200</Timer></Timers>");
        RecordingDialogs dialogs;
        TFpdo window(context, dialogs);
        QCOMPARE(window.windowTitle(), QString("Send Timer"));
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        QCOMPARE(grid->rowCount(), 10);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QString("Timer"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QString("Interval (ms)"));
        QCOMPARE(grid->item(9, 0)->text(), QString("Timer T10"));
        QCOMPARE(CellAt(grid, 1, 0), QString("200"));

        TypeInCell(grid, 1, 0, "120000");
        TypeInCell(grid, 2, 0, "0x3E8");
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(ReadText(context.documents.timerDef),
                 std::string("<Timers><Timer>100</Timer><Timer>120000</Timer><Timer>0x3E8</Timer></Timers>"));
    }

    void AnIntervalOutOfRangeOrAfterAGapIsRefused() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFpdo window(context, dialogs);
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        TypeInCell(grid, 0, 0, "120001");
        window.OkClick();
        QCOMPARE(dialogs.messages.back().kind, MessageKind::Error);
        QCOMPARE(dialogs.messages.back().text,
                 std::string("Error!! Timer Intervall must be between 1 and 120000 ms. "));
        TypeInCell(grid, 0, 0, "10");
        TypeInCell(grid, 3, 0, "40");
        window.OkClick();
        QCOMPARE(dialogs.messages.back().text,
                 std::string("Error in Timer T4!! The list ends at Timer T2, whose interval is empty, so Timer T4 "
                             "would not be saved. Fill in Timer T2 or clear Timer T4."));
        QVERIFY(window.isVisible());
        QVERIFY(!QFile::exists(QString::fromStdString(context.documents.timerDef)));
    }

    void ElevenTimersAreReportedAndTheWindowDoesNotOpen() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        std::string text = "<Timers>";
        for (int i = 0; i < 11; ++i) text += "<Timer>100</Timer>";
        WriteText(context.documents.timerDef, text + "</Timers>");
        RecordingDialogs dialogs;
        TFpdo window(context, dialogs);
        window.ShowModal();
        QVERIFY(!window.isVisible());
        QCOMPARE(dialogs.messages.size(), size_t{1});
        QVERIFY(dialogs.messages[0].text.find("holds 11 timers") != std::string::npos);
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::SendTimersWindowTest)
#include "send_timers_window_test.moc"
