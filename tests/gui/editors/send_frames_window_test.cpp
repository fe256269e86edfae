#include "gui/editors/send_frames_window.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "core/editors/send_frames.h"
#include "core/project/file_system.h"
#include "grid_typing.h"

namespace kestrova {

using testing::CellAt;
using testing::ReadText;
using testing::TypeInCell;
using Editor = testing::EditorOnProject<TFSetPdo>;
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
    void ATransmissionTypePickedFromTheListIsWrittenAsItsNumberAfterARefusal() {
        Editor editor;
        auto& window = editor.window;
        QCOMPARE(window.windowTitle(), QString("Send Frames"));
        QVERIFY(window.Reload());
        window.show();
        auto* grid = window.Grid();
        TypeFrame(grid, 0, "8");
        window.OkClick();
        QCOMPARE(editor.LastMessage(), std::string("Error!! Priority must be between 0 and 7. "));
        QVERIFY(window.isVisible());
        QVERIFY(!FileExists(editor.context.documents.sendFrame));

        TypeInCell(grid, 0, column::Priority, "6");
        grid->setCurrentCell(0, EditorGrid::GridColumn(column::TransmissionType));
        QTest::keyClick(grid, Qt::Key_F2);
        auto* pick = qobject_cast<QComboBox*>(grid->indexWidget(grid->currentIndex()));
        QVERIFY(pick);
        QCOMPARE(pick->count(), 11);
        pick->setCurrentIndex(3);
        TypeInCell(grid, 0, column::Mnemonic, "TSC1");
        TypeFrame(grid, 1, "7");  // type never chosen: no TT attribute
        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(editor.dialogs.messages.size(), size_t{1});
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(ReadText(editor.context.documents.sendFrame),
                 std::string("<Receive_Frames>"
                             "<row Priority=\"6\" DataPage=\"0\" PGN=\"$FEF1\" SA=\"255\" TT=\"3\" Mnemonic=\"TSC1\"/>"
                             "<row Priority=\"7\" DataPage=\"0\" PGN=\"$FEF1\" SA=\"255\" Mnemonic=\"\"/>"
                             "</Receive_Frames>"));
        // Opened again, the frame without a type shows "Data Change".
        QVERIFY(window.Reload());
        QCOMPARE(CellAt(grid, 0, column::TransmissionType), QString("On Timer T3"));
        QCOMPARE(CellAt(grid, 1, column::TransmissionType), QString("Data Change"));
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::SendFramesWindowTest)
#include "send_frames_window_test.moc"
