#include "gui/dbc/dbc_import_dialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include "../editors/grid_typing.h"
#include "core/editors/receive_frames.h"
#include "core/editors/send_frames.h"
#include "gui/editors/receive_frames_window.h"
#include "support/modal.h"

namespace kestrova {

using testing::CellAt;
using testing::ReadText;
using testing::WhenModalShown;
using testing::WriteText;

namespace {

const std::string kFixture = std::string(KESTROVA_TEST_DATA) + "/dbc/j1939_vehicle.dbc";

enum Column { NameColumn, PgnColumn, DestinationColumn, AddressColumn, LengthColumn, NoteColumn };

DbcFile Read(const std::string& name) { return ReadDbcFile(std::string(KESTROVA_TEST_DATA) + "/dbc/" + name); }

// Types into a cell of the message list as a user does: F2 opens its editor, Return ends it.
// Returns whether an editor opened.
bool TypeInCell(DbcImportDialog* dialog, QTreeWidgetItem* item, int column, const QString& text) {
    QTreeWidget* list = dialog->MessageList();
    list->setCurrentItem(item, column);
    QTest::keyClick(list, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(list->indexWidget(list->currentIndex()));
    if (!editor) return false;
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    return true;
}

QTreeWidgetItem* Item(DbcImportDialog* dialog, const QString& name) {
    const auto found = dialog->MessageList()->findItems(name, Qt::MatchExactly, 0);
    return found.isEmpty() ? nullptr : found.front();
}

QStringList Shown(DbcImportDialog* dialog) {
    QStringList names;
    for (int row = 0; row < dialog->MessageList()->topLevelItemCount(); ++row)
        if (!dialog->MessageList()->topLevelItem(row)->isHidden())
            names << dialog->MessageList()->topLevelItem(row)->text(0);
    return names;
}

void Press(DbcImportDialog* dialog, QDialogButtonBox::StandardButton which) {
    dialog->findChild<QDialogButtonBox*>()->button(which)->click();
}

}  // namespace

class DbcImportDialogTest : public QObject {
    Q_OBJECT

private slots:
    void TickedMessagesFillTheFirstEmptyRowsAndAreSavedByOk() {
        testing::EditorOnProject<TFSetVar> editor;
        auto& window = editor.window;
        WriteText(editor.context.documents.receiveFrame,
                  "<Receive_Frames><row DataPage=\"0\" PGN=\"0xFEF1\" SA=\"3\" Mnemonic=\"CCVS\"/></Receive_Frames>");
        const std::string before = ReadText(editor.context.documents.receiveFrame);
        QVERIFY(window.Reload());
        window.show();
        auto* import = window.findChild<QPushButton*>("importDbcButton");
        QVERIFY(import);
        editor.dialogs.openAnswers.push_back(kFixture);
        bool driven = false;
        WhenModalShown([&](QWidget* modal) {
            auto* dialog = qobject_cast<DbcImportDialog*>(modal);
            QVERIFY(dialog);
            driven = true;
            QTreeWidgetItem* edp = Item(dialog, "EDP_FRAME");
            QVERIFY(!(edp->flags() & Qt::ItemIsEnabled));
            QCOMPARE(edp->text(5), QString("not a J1939 frame"));
            QTest::keyClicks(dialog->Filter(), "speed");
            QCOMPARE(Shown(dialog), (QStringList{"EEC1", "EEC1_SA1", "CCVS"}));
            Item(dialog, "EEC1")->setCheckState(0, Qt::Checked);
            dialog->Filter()->clear();
            Item(dialog, "DM1")->setCheckState(0, Qt::Checked);
            Press(dialog, QDialogButtonBox::Ok);
        });
        QTest::mouseClick(import, Qt::LeftButton);
        QVERIFY(driven);
        QCOMPARE(editor.dialogs.openRequests[0].filter, std::string("DBC files (*.dbc)|*.dbc"));

        auto* grid = window.Grid();
        QCOMPARE(CellAt(grid, 1, receive_column::Mnemonic), QString("EEC1"));
        QCOMPARE(CellAt(grid, 2, receive_column::TransportProtocol), QString("Y"));
        QCOMPARE(CellAt(grid, 2, receive_column::ByteCount), QString("20"));
        QCOMPARE(ReadText(editor.context.documents.receiveFrame), before);  // nothing written before OK
        QCOMPARE(grid->History()->count(), 1);  // the import is one edit: undone and redone whole
        grid->History()->undo();
        QCOMPARE(CellAt(grid, 1, receive_column::Mnemonic), QString());
        QCOMPARE(CellAt(grid, 2, receive_column::Mnemonic), QString());
        grid->History()->redo();
        window.OkClick();
        QVERIFY(editor.dialogs.messages.empty());
        const auto saved = LoadReceiveFrames(editor.context.documents.receiveFrame);
        QCOMPARE(saved[2][receive_column::Mnemonic], std::string("DM1"));
    }

    void APdu1MessageShowsItsDestinationApart() {
        testing::RecordingDialogs dialogs;
        DbcImportDialog dialog(Read("j1939_pdu1.dbc"), FrameList::Send, EmptyTable(SendFramesLayout()), dialogs);
        QTreeWidgetItem* command = Item(&dialog, "CMD_TO_6E");
        QCOMPARE(command->text(PgnColumn), QString("0x5600"));
        QCOMPARE(command->text(DestinationColumn), QString("110"));
        QCOMPARE(Item(&dialog, "CCVS")->text(DestinationColumn), QString());
        command->setCheckState(NameColumn, Qt::Checked);
        dialog.accept();
        QCOMPARE(dialog.Table()[0][send_column::Pgn], std::string("0x566E"));
    }

    void TheSourceAddressIsEditedAndARefusalKeepsTheDialogOpen() {
        testing::RecordingDialogs dialogs;
        auto table = EmptyTable(ReceiveFramesLayout());
        table[0] = {"0", "0xFEF1", "3", "N", "", "", "N", "N", "", "Speed"};
        DbcImportDialog dialog(Read("j1939_null_address.dbc"), FrameList::Receive, table, dialogs);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTreeWidgetItem* eec1 = Item(&dialog, "EEC1");
        QTreeWidgetItem* ccvs = Item(&dialog, "CCVS");
        QCOMPARE(eec1->text(AddressColumn), QString("254"));         // from the identifier
        QVERIFY(!TypeInCell(&dialog, eec1, NameColumn, "renamed"));  // only the address is typed
        QCOMPARE(eec1->text(NameColumn), QString("EEC1"));

        eec1->setCheckState(NameColumn, Qt::Checked);
        dialog.accept();
        QCOMPARE(dialogs.messages.back().text,
                 std::string("EEC1: source address 254 cannot be received; give the sender's address (column SA)"));
        QVERIFY(dialog.isVisible());
        QVERIFY(TypeInCell(&dialog, eec1, AddressColumn, "3"));
        QVERIFY(TypeInCell(&dialog, ccvs, AddressColumn, "0x03"));
        ccvs->setCheckState(NameColumn, Qt::Checked);
        dialog.accept();  // CCVS from address 3 is in the list already
        QCOMPARE(dialogs.messages.back().text,
                 std::string("CCVS would repeat row 1 of Receive Frames (Speed): data page 0, PGN 0xFEF1, source "
                             "address 3."));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.Table(), table);
        ccvs->setCheckState(NameColumn, Qt::Unchecked);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Table()[1][receive_column::SourceAddress], std::string("3"));
        QCOMPARE(dialog.Table()[1][receive_column::Pgn], std::string("0xF004"));
        QCOMPARE(dialogs.messages.size(), size_t{2});
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::DbcImportDialogTest)
#include "dbc_import_dialog_test.moc"
