#include "gui/canopen/emcy_translation_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "gui/editors/grid_typing.h"

namespace kestrova {

using testing::ReadText;
using testing::WriteText;
using Window = testing::EditorOnProject<TFemcy>;

std::string Workbook(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/canopen/" + name; }

std::string Row(const std::string& id, const std::string& bypass) {
    return "<row id_dev=\"" + id +
           "\" mask_eq_ec=\"1\" mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m2=\"4\" mask_eq_m3=\"5\" enmask_eq_ec=\"6\" "
           "enmask_eq_er=\"7\" enmask_eq_m1=\"8\" enmask_eq_m2=\"9\" enmask_eq_m3=\"10\" bypass_set=\"" +
           bypass + "\"/>";
}

QStringList Items(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
}

class EmcyTranslationWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ShowListsBothSidesAndAClickShowsTheEntry() {
        Window editor;
        auto& window = editor.window;
        WriteText(editor.context.documents.emcyDef,
                  "<emcydef>" + Row("20", "3") + Row("5", "49") + Row("3", "0") + "</emcydef>");
        window.Reload();
        QCOMPARE(window.findChild<QPushButton*>("modifyA")->text() + window.findChild<QPushButton*>("modifyB")->text(),
                 QString("Modify ENCYModify EMCY"));
        QCOMPARE(Items(window.List(CanSide::A)), QStringList({"20", "3"}));
        QVERIFY(window.Enabled(CanSide::A)->isChecked());
        QCOMPARE(window.Placement(CanSide::B)->checkedId(), 8);

        window.show();
        auto* list = window.List(CanSide::A);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(window.Field(CanSide::A, kEmcyId)->text(), QString("3"));
        QVERIFY(!window.Enabled(CanSide::A)->isChecked());
        QCOMPARE(window.Placement(CanSide::A)->checkedId(), 0);
        QTest::keyClick(list, Qt::Key_Up);  // chosen with the keys: shown, and Modify acts on it
        QCOMPARE(window.Field(CanSide::A, kEmcyId)->text(), QString("20"));
        QVERIFY(window.Pages().Side(CanSide::A).selected == std::optional<size_t>(0));
    }

    void NewModifyDeleteThenOkWritesTheDocumentSorted() {
        Window editor;
        auto& window = editor.window;
        window.Reload();
        QCOMPARE(editor.LastMessage(), std::string("File XML not found"));
        window.Field(CanSide::A, kEmcyId)->setText("20");
        window.NewClick(CanSide::A);
        window.NewClick(CanSide::A);  // the same ID again
        QCOMPARE(editor.LastMessage(), std::string("Index Not Valid"));
        window.Field(CanSide::A, kEmcyId)->setText("3");
        window.Placement(CanSide::A)->button(4)->setChecked(true);
        window.NewClick(CanSide::A);
        window.Field(CanSide::A, kEmcyId)->setText("11");
        window.ModifyClick(CanSide::A);
        window.Field(CanSide::A, kEmcyId)->setText("7");
        window.NewClick(CanSide::A);
        window.DeleteClick(CanSide::A);
        QCOMPARE(Items(window.List(CanSide::A)), QStringList({"20", "11"}));
        window.Field(CanSide::B, kEmcyId)->setText("20");
        window.Enabled(CanSide::B)->setChecked(true);
        window.NewClick(CanSide::B);

        QTest::mouseClick(window.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        const std::string written = ReadText(editor.context.documents.emcyDef);
        QVERIFY(written.rfind("<emcydef><row id_dev=\"11\" mask_eq_ec=\"0\"", 0) == 0);
        QVERIFY(written.find("bypass_set=\"8\"/><row id_dev=\"20\"") != std::string::npos);
        QVERIFY(written.find("bypass_set=\"33\"/></emcydef>") != std::string::npos);
    }

    void ImportAndExportUseTheSheetEmcydef() {
        Window editor;
        auto& window = editor.window;
        window.Reload();
        editor.dialogs.openAnswers = {Workbook("canopen.xls")};
        window.ImportClick();
        QCOMPARE(Items(window.List(CanSide::A)), QStringList({"20", "3"}));
        QCOMPARE(Items(window.List(CanSide::B)), QStringList({"5"}));
        QCOMPARE(window.Field(CanSide::B, kEmcyMaskEc)->text(), QString());  // not "0" on import
        QVERIFY(window.Enabled(CanSide::B)->isChecked());
        QCOMPARE(window.Placement(CanSide::B)->checkedId(), 2);
        QTest::mouseClick(window.findChild<QPushButton*>("exportButton"), Qt::LeftButton);
        QCOMPARE(ReadText(editor.dir / "emcydef.csv"), std::string("20,0x1000,1,0,0,0,65535,255,0,0,0,3,\r\n"
                                                                   "3,0x2310,2,10,11,12,0xFFFF,0xFF,1,2,3,16,\r\n"
                                                                   "5,,,,,,,,,,,37,\r\n"));
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::EmcyTranslationWindowTest)
#include "emcy_translation_window_test.moc"
