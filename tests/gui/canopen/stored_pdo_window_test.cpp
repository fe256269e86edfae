#include "gui/canopen/stored_pdo_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "gui/editors/grid_typing.h"

namespace kestrova {

using testing::ReadText;
using testing::WriteText;
using Project = testing::EditorOnProject<TFInfopdo>;

namespace {

template <typename Widget = QLineEdit>
Widget* Find(QWidget& window, const QString& name, const char* side = "A") {
    auto* widget = window.findChild<Widget*>(name + side);
    if (!widget) qFatal("no widget %s", qPrintable(name));
    return widget;
}

}  // namespace

class StoredPdoWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ClickingPdoAndSdoShowsThemAndNewModifyPasteAndOkWork() {
        Project project;
        auto& window = project.window;
        WriteText(project.dir / "sdo.xml", "<sdo><row conf=\"0\" IndexA=\"0x1800\" SubindexA=\"0\"/></sdo>");
        WriteText(project.dir / "rpdodef.xml",
                  "<r><row cobid=\"0x181\" en_bypass=\"0\"/><row cobid=\"0x182\" en_bypass=\"2\"/>"
                  "<row cobid=\"0x183\" en_bypass=\"0\"/></r>");
        WriteText(project.context.documents.sdoPdo,
                  "<sdopdo><row index=\"4096\" subindex=\"2\" nrpdo=\"2\" poscomp=\"56\"/>"
                  "<row index=\"8192\" subindex=\"1\" nrpdo=\"2\" poscomp=\"bad\"/></sdopdo>");
        window.Reload();
        QVERIFY(project.dialogs.messages.empty());
        QCOMPARE(window.windowTitle(), QString("Define Store PDO"));
        auto* pdos = Find<QListWidget>(window, "pdoList");
        auto* sdos = Find<QListWidget>(window, "sdoList");
        QCOMPARE(pdos->count(), 2);
        QCOMPARE(pdos->item(1)->text(), QString("0x183"));
        QCOMPARE(Find<QListWidget>(window, "pdoList", "B")->count(), 1);
        QCOMPARE(sdos->count(), 0);

        window.show();
        const auto click = [](QListWidget* list, int row) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        };
        click(pdos, 1);
        QCOMPARE(sdos->count(), 2);
        QCOMPARE(sdos->item(1)->text(), QString("Sdo1"));
        click(sdos, 1);  // its byte selection is no integer: reported once
        QCOMPARE(project.dialogs.Texts(), std::vector<std::string>{"'bad' is not a valid integer value"});
        project.dialogs.messages.clear();
        sdos->setCurrentRow(0);
        QCOMPARE(Find(window, "indexEdit")->text(), QString("4096"));
        QCOMPARE(Find<QButtonGroup>(window, "highGroup")->checkedId(), 3);
        QCOMPARE(Find<QButtonGroup>(window, "lowGroup")->checkedId(), 8);

        window.CopySdoClick(CanSide::A);
        window.ModifySdoClick(CanSide::A);  // unchanged: accepted
        Find(window, "indexEdit")->setText("0x2000");
        Find(window, "subindexEdit")->setText("1");
        window.ModifySdoClick(CanSide::A);
        Find(window, "indexEdit")->setText("0x1800");
        Find(window, "subindexEdit")->setText("0");
        window.NewSdoClick(CanSide::A);
        QCOMPARE(project.dialogs.Texts(), (std::vector<std::string>{"Index or Subindex Not Valid",
                                                                    "Index or Subindex Not Valid,Sdo Already Exists"}));

        window.PasteSdoClick(CanSide::A);
        Find(window, "subindexEdit")->setText("7");
        Find<QButtonGroup>(window, "lowGroup")->button(2)->click();
        window.NewSdoClick(CanSide::A);
        QCOMPARE(sdos->count(), 3);
        QCOMPARE(sdos->currentRow(), 2);
        QCOMPARE(window.Pages().Side(CanSide::A).pdos[1].sdos[2], (TClSdo{"4096", "7", "50"}));

        window.PasteSdoClick(CanSide::B);  // nothing copied on side B
        QCOMPARE(project.dialogs.messages.size(), size_t(3));
        window.OkClick();
        QVERIFY(ReadText(project.context.documents.sdoPdo).find("subindex=\"7\" nrpdo=\"2\" poscomp=\"50\"") !=
                std::string::npos);
        project.dialogs.openAnswers.push_back(std::string(KESTROVA_TEST_DATA) + "/canopen/canopen.xls");
        window.ImportClick();  // the sheet "sdopdo" replaces every SDO
        QCOMPARE(sdos->count(), 0);
        QCOMPARE(window.Pages().Side(CanSide::A).pdos[0].sdos, (std::vector<TClSdo>{{"0x2000", "1", "56"}}));
        QVERIFY(window.Pages().Side(CanSide::A).pdos[1].sdos.empty());
        window.ExportClick();
        QCOMPARE(ReadText(project.dir / "sdopdo.csv"), std::string("0x2000,1,1,56,\r\n0x2001,2,129,3,\r\n"));
    }

    // A press on one PDO dragged to another before release selects the other: its SDOs are
    // the ones listed, so that Modify and Delete act on what the list shows.
    void APdoChosenByDraggingShowsItsOwnSdos() {
        Project project;
        auto& window = project.window;
        WriteText(project.dir / "rpdodef.xml",
                  "<r><row cobid=\"1\" en_bypass=\"0\"/><row cobid=\"2\" en_bypass=\"0\"/></r>");
        WriteText(project.context.documents.sdoPdo,
                  "<s><row index=\"1\" subindex=\"1\" nrpdo=\"1\" poscomp=\"0\"/>"
                  "<row index=\"2\" subindex=\"1\" nrpdo=\"1\" poscomp=\"0\"/></s>");
        window.Reload();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* pdos = Find<QListWidget>(window, "pdoList");
        const auto at = [pdos](int row) { return pdos->visualItemRect(pdos->item(row)).center(); };
        QTest::mouseClick(pdos->viewport(), Qt::LeftButton, {}, at(0));
        QCOMPARE(Find<QListWidget>(window, "sdoList")->count(), 2);
        QTest::mousePress(pdos->viewport(), Qt::LeftButton, {}, at(0));
        QTest::mouseMove(pdos->viewport(), at(1));
        QTest::mouseRelease(pdos->viewport(), Qt::LeftButton, {}, at(1));
        QCOMPARE(pdos->selectedItems().value(0), pdos->item(1));
        QCOMPARE(Find<QListWidget>(window, "sdoList")->count(), 0);
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::StoredPdoWindowTest)
#include "stored_pdo_window_test.moc"
