#include "gui/canopen/sdo_access_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "gui/editors/grid_typing.h"

namespace kestrova {

using testing::CellAt;
using testing::ReadText;
using testing::TypeInCell;
using testing::WriteText;
using Window = testing::EditorOnProject<TFsdo>;

std::string Workbook(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/canopen/" + name; }

class SdoAccessWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ShowFillsBothPagesAndExportWritesWhatTheGridsHold() {
        Window editor;
        auto& window = editor.window;
        WriteText(editor.dir / "sdo.xml",
                  "<sdo><row conf=\"17\" IndexA=\"0x2100\" SubindexA=\"0\" devIDB=\"7\" IndexB=\"0x6040\" "
                  "SubindexB=\"0\" nbyteB=\"2\" mnemonico=\"control\"/><row conf=\"0\" IndexA=\"0x2000\" "
                  "SubindexA=\"1\" devIDB=\"5\" IndexB=\"0x6000\" SubindexB=\"1\" nbyteB=\"2\"/></sdo>");
        window.Reload();
        auto* gridA = window.Grid(CanSide::A);
        auto* gridB = window.Grid(CanSide::B);
        QCOMPARE(gridB->item(1499, 0)->text(), QString("1499"));
        QCOMPARE(CellAt(gridB, 0, kSdoMnemonic), QString("control"));

        window.show();
        TypeInCell(gridA, 0, kSdoRw, "1");
        TypeInCell(gridA, 1, kSdoIndexA, "0x2001");
        QTest::mouseClick(window.findChild<QPushButton*>("exportButton"), Qt::LeftButton);
        const std::string csv = ReadText(editor.dir / "sdo.csv");
        QVERIFY(csv.rfind("0,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,\r\n"
                          "16,0x2000,1,5,0x6000,1,2,,\r\n0,0x2001,,,,,,,\r\n0,,,,,,,,\r\n",
                          0) == 0);
        QVERIFY(csv.find("\r\n17,0x2100,0,7,0x6040,0,2,control,\r\n") != std::string::npos);
        QVERIFY(window.isVisible());
    }

    void ImportReplacesBothTablesAndAFailureIsShown() {
        Window editor;
        auto& window = editor.window;
        window.Reload();
        TypeInCell(window.Grid(CanSide::B), 5, kSdoIndexA, "old");
        editor.dialogs.openAnswers = {Workbook("canopen.xls"), std::nullopt, Workbook("no_sdo.xls")};
        window.ImportClick();
        QCOMPARE(editor.dialogs.openRequests.at(0).filter, std::string("Spreadsheets (*.xls *.xlsx *.ods *.csv)|*.xls;*.xlsx;*.ods;*.csv|All files (*)|*"));
        QCOMPARE(editor.dialogs.openRequests.at(0).initialDirectory, editor.dir.path());
        QCOMPARE(CellAt(window.Grid(CanSide::B), 0, kSdoMnemonic), QString("control, word"));
        QCOMPARE(CellAt(window.Grid(CanSide::B), 5, kSdoIndexA), QString());
        QCOMPARE(CellAt(window.Grid(CanSide::A), 1, kSdoRw), QString("1"));

        window.ImportClick();  // cancelled: the tables stay
        QCOMPARE(CellAt(window.Grid(CanSide::A), 1, kSdoRw), QString("1"));
        window.ImportClick();
        QCOMPARE(CellAt(window.Grid(CanSide::A), 0, kSdoIndexA), QString());
        QVERIFY(editor.LastMessage().find("no sheet named \"sdo\"") != std::string::npos);
    }

    void ColumnsAndBandsShareTheWidthInTenths() {
        Window editor;
        auto& window = editor.window;
        window.resize(1000, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* grid = window.Grid(CanSide::A);
        const int width = grid->width() / 10;
        QCOMPARE(grid->columnWidth(0), width);
        QCOMPARE(grid->columnWidth(7), width);
        QCOMPARE(grid->columnWidth(8), width);  // the mnemonico column does not take the rest
        const auto* band = window.findChild<QLabel*>("leftBandA");
        QCOMPARE(band->width(), 4 * width);
        QCOMPARE(band->text(), QString("Define virtual index SDO in CAN A"));
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::SdoAccessWindowTest)
#include "sdo_access_window_test.moc"
