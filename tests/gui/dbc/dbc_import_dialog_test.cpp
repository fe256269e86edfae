#include "gui/dbc/dbc_import_dialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "../editors/grid_typing.h"
#include "core/editors/receive_frames.h"
#include "core/editors/send_frames.h"
#include "gui/editors/receive_frames_window.h"
#include "gui/editors/send_frames_window.h"
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
        editor.dialogs.openAnswers.push_back(kFixture);
        bool driven = false;
        WhenModalShown([&](QWidget* modal) {
            auto* dialog = qobject_cast<DbcImportDialog*>(modal);
            QVERIFY(dialog);
            driven = true;
            QCOMPARE(dialog->MessageList()->topLevelItemCount(), 8);
            QTreeWidgetItem* edp = Item(dialog, "EDP_FRAME");
            QVERIFY(!(edp->flags() & Qt::ItemIsEnabled));
            QCOMPARE(edp->text(4), QString("not a J1939 frame"));
            QVERIFY(Item(dialog, "DM1")->flags() & Qt::ItemIsEnabled);  // a receive frame may be long
            QTest::keyClicks(dialog->Filter(), "speed");
            QCOMPARE(Shown(dialog), (QStringList{"EEC1", "EEC1_SA1", "CCVS"}));
            Item(dialog, "EEC1")->setCheckState(0, Qt::Checked);
            dialog->Filter()->clear();
            Item(dialog, "DM1")->setCheckState(0, Qt::Checked);
            Press(dialog, QDialogButtonBox::Ok);
        });
        auto* import = window.findChild<QPushButton*>("importDbcButton");
        QVERIFY(import);
        QCOMPARE(import->text(), QString("Import DBC..."));
        QTest::mouseClick(import, Qt::LeftButton);
        QVERIFY(driven);
        QCOMPARE(editor.dialogs.openRequests.size(), size_t{1});
        QCOMPARE(editor.dialogs.openRequests[0].filter, std::string("DBC files (*.dbc)|*.dbc"));
        QCOMPARE(editor.dialogs.openRequests[0].initialDirectory, editor.context.projectDirectory);

        auto* grid = window.Grid();
        QCOMPARE(CellAt(grid, 1, receive_column::Mnemonic), QString("EEC1"));
        QCOMPARE(CellAt(grid, 2, receive_column::Pgn), QString("0xFECA"));
        QCOMPARE(CellAt(grid, 2, receive_column::TransportProtocol), QString("Y"));
        QCOMPARE(CellAt(grid, 2, receive_column::ByteCount), QString("20"));
        QCOMPARE(ReadText(editor.context.documents.receiveFrame), before);  // nothing written before OK
        window.OkClick();
        QVERIFY(editor.dialogs.messages.empty());
        const auto saved = LoadReceiveFrames(editor.context.documents.receiveFrame);
        QCOMPARE(saved[2][receive_column::Mnemonic], std::string("DM1"));
    }

    void SendFramesRefuseLongMessagesAndABadFileOpensNoList() {
        testing::EditorOnProject<TFSetPdo> editor;
        auto& window = editor.window;
        QVERIFY(window.Reload());
        window.show();
        editor.dialogs.openAnswers.push_back(kFixture);
        WhenModalShown([&](QWidget* modal) {
            auto* dialog = qobject_cast<DbcImportDialog*>(modal);
            QVERIFY(dialog);
            QTreeWidgetItem* dm1 = Item(dialog, "DM1");
            QVERIFY(!(dm1->flags() & Qt::ItemIsEnabled));
            QCOMPARE(dm1->text(4), QString("longer than 8 bytes"));
            Item(dialog, "RQST")->setCheckState(0, Qt::Checked);
            Press(dialog, QDialogButtonBox::Cancel);
        });
        auto* import = window.findChild<QPushButton*>("importDbcButton");
        QTest::mouseClick(import, Qt::LeftButton);
        QCOMPARE(CellAt(window.Grid(), 0, send_column::Priority), QString());  // cancelled: nothing placed

        const std::string bad = editor.dir / "bad.dbc";
        WriteText(bad, "VERSION \"\"\nBO_ 2566844672 CCVS 8 Engine\n");
        editor.dialogs.openAnswers.push_back(bad);
        QTest::mouseClick(import, Qt::LeftButton);  // no list opens: a modal would block here
        QCOMPARE(editor.LastMessage(),
                 bad + ", line 2: the message definition is not \"BO_ <identifier> <name>: <length> <transmitter>\"");
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::DbcImportDialogTest)
#include "dbc_import_dialog_test.moc"
