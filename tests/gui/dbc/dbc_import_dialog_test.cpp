#include "gui/dbc/dbc_import_dialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include "../editors/grid_typing.h"
#include "core/editors/receive_frames.h"
#include "gui/editors/receive_frames_window.h"
#include "support/modal.h"

namespace kestrova {

using testing::CellAt;
using testing::ReadText;
using testing::WhenModalShown;
using testing::WriteText;

namespace {

const std::string kFixture = std::string(KESTROVA_TEST_DATA) + "/dbc/j1939_vehicle.dbc";

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
            QCOMPARE(edp->text(4), QString("not a J1939 frame"));
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
};

}  // namespace kestrova

QTEST_MAIN(kestrova::DbcImportDialogTest)
#include "dbc_import_dialog_test.moc"
