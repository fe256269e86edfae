#include "gui/editors/receive_frames_window.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/editors/receive_frames.h"
#include "grid_typing.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {

using testing::CellAt;
using testing::ContextIn;
using testing::KeyOnCell;
using testing::ReadText;
using testing::RecordingDialogs;
using testing::TempDir;
using testing::TypeInCell;
using testing::WriteText;
namespace column = receive_column;

class ReceiveFramesWindowTest : public QObject {
    Q_OBJECT

private slots:
    void FramesTypedAndTickedWithTheKeyboardAreWrittenOnOk() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFSetVar window(context, dialogs);
        QCOMPARE(window.windowTitle(), QString("Receive Frames"));
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        QCOMPARE(grid->rowCount(), 30);
        QCOMPARE(grid->horizontalHeaderItem(EditorGrid::GridColumn(column::ByteCount))->text(), QString("N° Byte"));

        TypeInCell(grid, 0, column::DataPage, "0");
        TypeInCell(grid, 0, column::Pgn, "0xFEF1");
        TypeInCell(grid, 0, column::SourceAddress, "0");
        KeyOnCell(grid, 0, column::CancelData, Qt::Key_Space);
        TypeInCell(grid, 0, column::Mnemonic, "CCVS");
        TypeInCell(grid, 1, column::DataPage, "1");
        TypeInCell(grid, 1, column::Pgn, "65226");
        KeyOnCell(grid, 1, column::TransportProtocol, Qt::Key_Space);
        TypeInCell(grid, 1, column::StartByte, "3");
        TypeInCell(grid, 1, column::ByteCount, "20");
        KeyOnCell(grid, 1, column::OnRequest, Qt::Key_Space);
        TypeInCell(grid, 1, column::OnRequestTime, "500");
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);

        QVERIFY2(dialogs.messages.empty(), dialogs.messages.empty() ? "" : dialogs.messages[0].text.c_str());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(ReadText(context.documents.receiveFrame),
                 std::string("<Receive_Frames>"
                             "<row DataPage=\"0\" PGN=\"0xFEF1\" SA=\"0\" TP=\"\" TP_Start=\"\" TP_NByte=\"\" "
                             "Delete=\"Y\" OnRequest=\"\" OnReq_Time=\"\" Mnemonic=\"CCVS\"/>"
                             "<row DataPage=\"1\" PGN=\"65226\" SA=\"\" TP=\"Y\" TP_Start=\"3\" TP_NByte=\"20\" "
                             "Delete=\"\" OnRequest=\"Y\" OnReq_Time=\"500\" Mnemonic=\"\"/>"
                             "</Receive_Frames>"));
    }

    void AFailedCheckNamesTheRowAndWritesNothing() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFSetVar window(context, dialogs);
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        TypeInCell(grid, 0, column::DataPage, "0");
        TypeInCell(grid, 0, column::Pgn, "1");
        TypeInCell(grid, 0, column::SourceAddress, "240");
        // Return ends a cell edit; it does not press OK.
        QVERIFY(window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(dialogs.messages.empty());
        window.OkClick();
        QCOMPARE(dialogs.messages.size(), size_t{1});
        QCOMPARE(dialogs.messages[0].kind, MessageKind::Error);
        QCOMPARE(dialogs.messages[0].text,
                 std::string("Error in row 1!! The Source Address must be between 0 and 239"));
        QVERIFY(window.isVisible());
        QVERIFY(!QFile::exists(QString::fromStdString(context.documents.receiveFrame)));
    }

    void AnEditStillOpenWhenOkIsPressedCounts() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFSetVar window(context, dialogs);
        WriteText(context.documents.receiveFrame,
                  "<Receive_Frames><row DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"m\"/></Receive_Frames>");
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        grid->setCurrentCell(0, EditorGrid::GridColumn(column::SourceAddress));
        QTest::keyClicks(grid, "9");  // editor open, not yet ended
        window.OkClick();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(ReadText(context.documents.receiveFrame).find("SA=\"9\"") != std::string::npos);
    }

    void EveryShowingStartsFromTheCurrentProjectsDocument() {
        TempDir first, second;
        WriteText(first / "Receive_Frame.xml",
                  "<Receive_Frames><row DataPage=\"0\" PGN=\"61444\" SA=\"0\" Mnemonic=\"EEC1\"/></Receive_Frames>");
        auto context = ContextIn(first.path());
        RecordingDialogs dialogs;
        TFSetVar window(context, dialogs);
        QVERIFY(window.Reload());
        QCOMPARE(CellAt(window.Grid(), 0, column::Pgn), QString("61444"));
        QCOMPARE(CellAt(window.Grid(), 0, column::TransportProtocol), QString("N"));
        TypeInCell(window.Grid(), 5, column::Mnemonic, "left over");
        context = ContextIn(second.path());
        QVERIFY(window.Reload());
        QCOMPARE(window.Grid()->Rows(), EmptyTable(ReceiveFramesLayout()));
        QCOMPARE(window.Grid()->item(29, 0)->text(), QString("30"));
    }

    void ADocumentWithMoreFramesThanRowsIsReportedAndNotOpened() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        std::string text = "<Receive_Frames>";
        for (int i = 0; i < 31; ++i) text += "<row DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"m\"/>";
        WriteText(context.documents.receiveFrame, text + "</Receive_Frames>");
        RecordingDialogs dialogs;
        TFSetVar window(context, dialogs);
        window.ShowModal();
        QVERIFY(!window.isVisible());
        QCOMPARE(dialogs.messages.size(), size_t{1});
        QVERIFY(dialogs.messages[0].text.find("holds 31 frames") != std::string::npos);
    }

    void CancelWritesNothing() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFSetVar window(context, dialogs);
        QTimer::singleShot(0, &window, [&] {
            TypeInCell(window.Grid(), 0, column::DataPage, "0");
            QTest::mouseClick(window.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        });
        window.ShowModal();
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(QString::fromStdString(context.documents.receiveFrame)));
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::ReceiveFramesWindowTest)
#include "receive_frames_window_test.moc"
