#include "gui/editors/send_timers_window.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "core/project/file_system.h"
#include "grid_typing.h"

namespace kestrova {

using testing::CellAt;
using testing::ContextIn;
using testing::ReadText;
using testing::TypeInCell;
using testing::WriteText;
using Editor = testing::EditorOnProject<TFpdo>;

class SendTimersWindowTest : public QObject {
    Q_OBJECT

private slots:
    void TypedIntervalsAreWrittenAsTimersAfterARefusal() {
        Editor editor;
        auto& window = editor.window;
        WriteText(editor.context.documents.timerDef, "<Timers><Timer>100</Timer><Timer>200</Timer></Timers>");
        QCOMPARE(window.windowTitle(), QString("Send Timer"));
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        QCOMPARE(grid->rowCount(), 10);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QString("Timer"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QString("Interval (ms)"));
        QCOMPARE(grid->item(9, 0)->text(), QString("Timer T10"));
        QCOMPARE(CellAt(grid, 1, 0), QString("200"));

        TypeInCell(grid, 1, 0, "120001");
        window.OkClick();
        QCOMPARE(editor.dialogs.messages.back().kind, MessageKind::Error);
        QCOMPARE(editor.LastMessage(), std::string("Error!! Timer Intervall must be between 1 and 120000 ms. "));
        QCOMPARE(ReadText(editor.context.documents.timerDef),
                 std::string("<Timers><Timer>100</Timer><Timer>200</Timer></Timers>"));
        TypeInCell(grid, 1, 0, "120000");
        TypeInCell(grid, 2, 0, "0x3E8");
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(editor.dialogs.messages.size(), size_t{1});
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(ReadText(editor.context.documents.timerDef),
                 std::string("<Timers><Timer>100</Timer><Timer>120000</Timer><Timer>0x3E8</Timer></Timers>"));
    }

    void TheKeyboardAloneSavesTabOutOfTheLastCellToOkOrCtrlEnterFromACell() {
        Editor editor;
        auto& window = editor.window;
        auto* ok = window.findChild<QPushButton*>("okButton");
        QCOMPARE(ok->toolTip(), QString("Save and close (Ctrl+Enter)"));
        QVERIFY(window.Reload());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* grid = window.Grid();
        TypeInCell(grid, 0, 0, "100");
        grid->setCurrentCell(9, EditorGrid::GridColumn(0));
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ok);
        QTest::keyClick(ok, Qt::Key_Return);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(ReadText(editor.context.documents.timerDef), std::string("<Timers><Timer>100</Timer></Timers>"));

        // Ctrl+Enter from an open cell editor keeps what was typed and saves.
        QVERIFY(window.Reload());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        grid->setCurrentCell(1, EditorGrid::GridColumn(0));
        QTest::keyClicks(grid, "2");
        QWidget* cellEditor = QApplication::focusWidget();
        QVERIFY(cellEditor && cellEditor != grid);
        QTest::keyClicks(cellEditor, "00");
        QTest::keyClick(cellEditor, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!window.isVisible());
        QCOMPARE(ReadText(editor.context.documents.timerDef),
                 std::string("<Timers><Timer>100</Timer><Timer>200</Timer></Timers>"));
    }

    void EscapeAndTheCloseBoxAskBeforeDroppingChangesCancelDoesNot() {
        Editor editor;
        auto& window = editor.window;
        const auto openAndType = [&](bool undo) {
            QVERIFY(window.Reload());
            window.show();
            TypeInCell(window.Grid(), 0, 0, "5");
            if (undo) QTest::keyClick(window.Grid(), Qt::Key_Z, Qt::ControlModifier);
        };
        openAndType(true);  // changed back: closes at once
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        openAndType(false);
        editor.dialogs.yesNoAnswers = {false, true};
        QTest::keyClick(&window, Qt::Key_Escape);  // No: the window and the typing stay
        QVERIFY(window.isVisible());
        QCOMPARE(CellAt(window.Grid(), 0, 0), QString("5"));
        window.close();
        QVERIFY(!window.isVisible());
        openAndType(false);
        window.findChild<QPushButton*>("cancelButton")->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(editor.dialogs.questions, std::vector<std::string>(2, "Discard the changes?"));
        QVERIFY(!FileExists(editor.context.documents.timerDef));
    }

    void AFailedWriteIsShownWithItsReasonAndTheWindowStaysOpen() {
        Editor editor;
        editor.context = ContextIn(editor.dir / "missing-directory");
        QVERIFY(editor.window.Reload());
        editor.window.show();
        TypeInCell(editor.window.Grid(), 0, 0, "100");
        editor.window.OkClick();
        QCOMPARE(editor.dialogs.messages.size(), size_t{1});
        QCOMPARE(editor.dialogs.messages[0].kind, MessageKind::Plain);
        QVERIFY(editor.LastMessage().find("No such file or directory") != std::string::npos);
        QVERIFY(editor.window.isVisible());
        QVERIFY(!FileExists(editor.context.documents.timerDef));
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::SendTimersWindowTest)
#include "send_timers_window_test.moc"
