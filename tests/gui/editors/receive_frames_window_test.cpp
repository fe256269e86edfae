#include "gui/editors/receive_frames_window.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/editors/receive_frames.h"
#include "core/project/file_system.h"
#include "core/project/loaded_document.h"
#include "grid_typing.h"

namespace kestrova {

using testing::CellAt;
using testing::ContextIn;
using testing::KeyOnCell;
using testing::ReadText;
using testing::TempDir;
using testing::TypeInCell;
using testing::WriteText;
using Editor = testing::EditorOnProject<TFSetVar>;
namespace column = receive_column;

class ReceiveFramesWindowTest : public QObject {
    Q_OBJECT

private slots:
    void FramesTypedAndTickedWithTheKeyboardAreWrittenOnOkAfterARefusal() {
        Editor editor;
        auto& window = editor.window;
        QCOMPARE(window.windowTitle(), QString("Receive Frames"));
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        QCOMPARE(grid->rowCount(), 30);
        TypeInCell(grid, 0, column::DataPage, "0");
        TypeInCell(grid, 0, column::Pgn, "0xFEF1");
        TypeInCell(grid, 0, column::SourceAddress, "240");
        QVERIFY2(window.isVisible() && editor.dialogs.messages.empty(), "Return ends a cell edit, not the window");
        window.OkClick();
        QCOMPARE(editor.dialogs.messages.size(), size_t{1});
        QCOMPARE(editor.dialogs.messages[0].kind, MessageKind::Error);
        QCOMPARE(editor.LastMessage(), std::string("Error in row 1!! The Source Address must be between 0 and 239"));
        QVERIFY(window.isVisible());
        QVERIFY(!FileExists(editor.context.documents.receiveFrame));

        TypeInCell(grid, 0, column::SourceAddress, "0");
        KeyOnCell(grid, 0, column::CancelData, Qt::Key_Space);
        TypeInCell(grid, 0, column::Mnemonic, "CCVS");
        TypeInCell(grid, 1, column::DataPage, "1");
        TypeInCell(grid, 1, column::Pgn, "65226");
        KeyOnCell(grid, 1, column::TransportProtocol, Qt::Key_Space);
        TypeInCell(grid, 1, column::StartByte, "3");
        TypeInCell(grid, 1, column::ByteCount, "20");
        KeyOnCell(grid, 1, column::OnRequest, Qt::Key_Space);
        // The last edit is still open when OK is pressed: it counts.
        grid->setCurrentCell(1, EditorGrid::GridColumn(column::OnRequestTime));
        QTest::keyClicks(grid, "5");
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(editor.dialogs.messages.size(), size_t{1});
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(ReadText(editor.context.documents.receiveFrame),
                 std::string("<Receive_Frames>"
                             "<row DataPage=\"0\" PGN=\"0xFEF1\" SA=\"0\" TP=\"\" TP_Start=\"\" TP_NByte=\"\" "
                             "Delete=\"Y\" OnRequest=\"\" OnReq_Time=\"\" Mnemonic=\"CCVS\"/>"
                             "<row DataPage=\"1\" PGN=\"65226\" SA=\"\" TP=\"Y\" TP_Start=\"3\" TP_NByte=\"20\" "
                             "Delete=\"\" OnRequest=\"Y\" OnReq_Time=\"5\" Mnemonic=\"\"/>"
                             "</Receive_Frames>"));
    }

    void EveryShowingStartsFromTheCurrentProjectsDocumentAndCancelWritesNothing() {
        Editor editor;
        TempDir other;
        WriteText(editor.context.documents.receiveFrame,
                  "<Receive_Frames><row DataPage=\"0\" PGN=\"61444\" SA=\"0\" Mnemonic=\"EEC1\"/></Receive_Frames>");
        auto& window = editor.window;
        QVERIFY(window.Reload());
        QCOMPARE(CellAt(window.Grid(), 0, column::Pgn), QString("61444"));
        QCOMPARE(CellAt(window.Grid(), 0, column::TransportProtocol), QString("N"));
        TypeInCell(window.Grid(), 5, column::Mnemonic, "left over");
        editor.context = ContextIn(other.path());
        bool emptied = false;
        QTimer::singleShot(0, &window, [&] {
            emptied = window.Grid()->Rows() == EmptyTable(ReceiveFramesLayout());
            TypeInCell(window.Grid(), 0, column::DataPage, "0");
            QTest::mouseClick(window.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        });
        window.ShowModal();
        QVERIFY(emptied);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(!FileExists(editor.context.documents.receiveFrame));
    }

    void OkAsksBeforeOverwritingAListAnotherProgramChanged() {
        Editor editor;
        auto& window = editor.window;
        const std::string& path = editor.context.documents.receiveFrame;
        WriteText(path, "<Receive_Frames><row DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"mine\"/></Receive_Frames>");
        QVERIFY(window.Reload());
        window.show();
        const std::string theirs =
            "<Receive_Frames><row DataPage=\"0\" PGN=\"2\" SA=\"1\" Mnemonic=\"theirs\"/></Receive_Frames>";
        WriteText(path, theirs);  // say a dbc-import of another program
        window.OkClick();         // No, the default
        QCOMPARE(editor.dialogs.questions, std::vector<std::string>{ChangedOnDiskQuestion(path)});
        QVERIFY(window.isVisible());
        QCOMPARE(ReadText(path), theirs);
        editor.dialogs.yesNoAnswers = {true};
        window.OkClick();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(ReadText(path).find("\"mine\"") != std::string::npos);
        QCOMPARE(editor.dialogs.messages.size(), size_t{0});
    }

    void ADocumentWithMoreFramesThanRowsIsReportedAndNotOpened() {
        Editor editor;
        std::string text = "<Receive_Frames>";
        for (int i = 0; i < 31; ++i) text += "<row DataPage=\"0\" PGN=\"1\" SA=\"1\" Mnemonic=\"m\"/>";
        WriteText(editor.context.documents.receiveFrame, text + "</Receive_Frames>");
        editor.window.ShowModal();
        QVERIFY(!editor.window.isVisible());
        QCOMPARE(editor.dialogs.messages.size(), size_t{1});
        QVERIFY(editor.LastMessage().find("holds 31 frames") != std::string::npos);
        QCOMPARE(editor.dialogs.messages[0].kind, MessageKind::Error);
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::ReceiveFramesWindowTest)
#include "receive_frames_window_test.moc"
