#include "gui/editors/send_frames_window.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "core/editors/send_frames.h"
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
namespace column = send_column;

class SendFramesWindowTest : public QObject {
    Q_OBJECT

    static void TypeFrame(EditorGrid* grid, int row, const QString& priority) {
        TypeInCell(grid, row, column::Priority, priority);
        TypeInCell(grid, row, column::DataPage, "0");
        TypeInCell(grid, row, column::Pgn, "$FEF1");
        TypeInCell(grid, row, column::SourceAddress, "255");
    }

private slots:
    void ATransmissionTypePickedFromTheListIsWrittenAsItsNumber() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFSetPdo window(context, dialogs);
        QCOMPARE(window.windowTitle(), QString("Send Frames"));
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        TypeFrame(grid, 0, "6");
        grid->setCurrentCell(0, EditorGrid::GridColumn(column::TransmissionType));
        QTest::keyClick(grid, Qt::Key_F2);
        auto* pick = qobject_cast<QComboBox*>(grid->indexWidget(grid->currentIndex()));
        QVERIFY(pick);
        QCOMPARE(pick->count(), 11);
        pick->setCurrentIndex(3);
        TypeInCell(grid, 0, column::Mnemonic, "TSC1");
        TypeFrame(grid, 1, "7");  // type never chosen: no TT attribute
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);

        QVERIFY(dialogs.messages.empty());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(ReadText(context.documents.sendFrame),
                 std::string("<Receive_Frames>"
                             "<row Priority=\"6\" DataPage=\"0\" PGN=\"$FEF1\" SA=\"255\" TT=\"3\" Mnemonic=\"TSC1\"/>"
                             "<row Priority=\"7\" DataPage=\"0\" PGN=\"$FEF1\" SA=\"255\" Mnemonic=\"\"/>"
                             "</Receive_Frames>"));

        // Opened again, the frame without a type shows "Data Change".
        QVERIFY(window.Reload());
        QCOMPARE(CellAt(grid, 0, column::TransmissionType), QString("On Timer T3"));
        QCOMPARE(CellAt(grid, 1, column::TransmissionType), QString("Data Change"));
    }

    void AFailedCheckOrAGapKeepsTheWindowOpen() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFSetPdo window(context, dialogs);
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        TypeFrame(grid, 0, "8");
        window.OkClick();
        QCOMPARE(dialogs.messages.back().text, std::string("Error!! Priority must be between 0 and 7. "));
        QCOMPARE(dialogs.messages.back().kind, MessageKind::Error);
        TypeInCell(grid, 0, column::Priority, "7");
        TypeFrame(grid, 2, "1");
        window.OkClick();
        QCOMPARE(dialogs.messages.back().text,
                 std::string("Error in row 3!! The list ends at row 2, whose Priority is empty, so row 3 would not "
                             "be saved. Fill in row 2 or clear row 3."));
        QVERIFY(window.isVisible());
        QVERIFY(!QFile::exists(QString::fromStdString(context.documents.sendFrame)));
    }

    void ARowWithoutARequiredAttributeIsReportedAndTheWindowDoesNotOpen() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        WriteText(context.documents.sendFrame, "<Receive_Frames><row Priority=\"1\"/></Receive_Frames>");
        RecordingDialogs dialogs;
        TFSetPdo window(context, dialogs);
        window.ShowModal();
        QVERIFY(!window.isVisible());
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"The attribute 'DataPage' is missing in row 1 of " +
                                                           context.documents.sendFrame + "."});
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::SendFramesWindowTest)
#include "send_frames_window_test.moc"
