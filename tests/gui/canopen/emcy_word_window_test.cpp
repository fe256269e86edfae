#include "gui/canopen/emcy_word_window.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

#include "gui/editors/grid_typing.h"

namespace kestrova {

using testing::ReadText;
using testing::WriteText;
using Project = testing::EditorOnProject<TFWemcy>;

namespace {

template <typename Widget = QLineEdit>
Widget* Find(QWidget& window, const QString& name, const char* side = "A") {
    auto* widget = window.findChild<Widget*>(name + side);
    if (!widget) qFatal("no widget %s", qPrintable(name));
    return widget;
}

// A word row of emcyword.xml; bit 3 carries masks and the combined value 53.
std::string WordRow(const char* extdata, const char* id) {
    std::string row =
        std::string("<row index_addrm=\"4096\" subindex=\"1\" extdata=\"") + extdata + "\" devid=\"" + id + "\"";
    for (int n = 0; n < 16; ++n) {
        const std::string bit = " bit" + std::to_string(n);
        row += bit + "_b0=\"" + (n == 3 ? "m1" : "") + "\"" + bit + "_b1=\"" + (n == 3 ? "m2" : "") + "\"" + bit +
               "_poscomp=\"" + (n == 3 ? "53" : "") + "\"";
    }
    return row + "/>";
}

}  // namespace

class EmcyWordWindowTest : public QObject {
    Q_OBJECT

private slots:
    void SelectingABitShowsItAndModifyNewDeleteAndOkReachTheDocument() {
        Project project;
        auto& window = project.window;
        WriteText(project.context.documents.emcyWord,
                  "<emcyword>" + WordRow("0", "7") + WordRow("0", "5") + WordRow("1", "9") + "</emcyword>");
        window.Reload();
        QVERIFY(project.dialogs.messages.empty());
        QCOMPARE(window.windowTitle(), QString("Define EMCY Word"));
        auto* tree = Find<QTreeWidget>(window, "tree");
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(1)->text(0), QString("W1"));
        QCOMPARE(tree->topLevelItem(1)->child(15)->text(0), QString("Bit15"));
        QVERIFY(!tree->topLevelItem(0)->icon(0).isNull());

        tree->setCurrentItem(tree->topLevelItem(1)->child(3));
        QCOMPARE(Find<QGroupBox>(window, "wordGroup", "B")->title(), QString("Word n°1 Emcy Define "));
        QCOMPARE(Find<QGroupBox>(window, "bitGroup")->title(), QString("Mask BIT n°3 Define"));
        QCOMPARE(Find(window, "idEdit")->text(), QString("5"));
        QCOMPARE(Find(window, "maskByte2Edit")->text() + Find(window, "emcyByte1Edit")->text() +
                     Find(window, "emcyByte2Edit")->text(),
                 QString("m235"));

        Find(window, "emcyByte2Edit")->setText("20");
        window.ModifyClick(CanSide::A);
        QCOMPARE(window.Words().Side(CanSide::A)[1].bits[3].combined, std::string("68"));

        tree->setCurrentItem(tree->topLevelItem(0));  // a word node: the bit fields empty
        QCOMPARE(Find(window, "maskByte1Edit")->text(), QString());
        window.NewClick(CanSide::A);  // the same three texts again
        QCOMPARE(project.dialogs.Texts(), std::vector<std::string>{"Index Not Valid"});
        Find(window, "idEdit")->setText("3");
        window.NewClick(CanSide::A);
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(2)->text(0), QString("W2"));
        tree->setCurrentItem(tree->topLevelItem(2)->child(0));
        QCOMPARE(Find(window, "emcyByte1Edit")->text(), QString());  // a new word's bits show empty

        tree->setCurrentItem(tree->topLevelItem(0));
        window.DeleteClick(CanSide::A);
        QCOMPARE(tree->topLevelItemCount(), 2);
        window.OkClick();
        const std::string saved = ReadText(project.context.documents.emcyWord);
        QVERIFY(saved.find("bit3_poscomp=\"68\"") != std::string::npos &&
                saved.find("devid=\"7\"") == std::string::npos);

        std::remove(project.context.documents.emcyWord.c_str());
        window.Reload();
        QCOMPARE(project.dialogs.Texts(), (std::vector<std::string>{"Index Not Valid", "File XML not found"}));
        project.dialogs.openAnswers.push_back(std::string(KESTROVA_TEST_DATA) + "/canopen/canopen.xls");
        window.ImportClick();  // the sheet "EmcyWord": one word a side, a third with side 2 dropped
        QCOMPARE(project.dialogs.openRequests.at(0).filter, std::string("Spreadsheets (*.xls *.xlsx *.ods *.csv)|*.xls;*.xlsx;*.ods;*.csv|All files (*)|*"));
        QCOMPARE(Find<QTreeWidget>(window, "tree", "B")->topLevelItemCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->text(0), QString("W0"));
        window.ExportClick();
        QVERIFY(ReadText(project.dir / "emcyword.csv").find("\r\n0x1002,1,6,1,") != std::string::npos);
    }

    // Deleting the selected word selects its neighbour, which is shown like any selected node
    // (a following Modify takes the fields as the texts of that word).
    void TheNodeSelectedAfterADeleteIsShown() {
        Project project;
        auto& window = project.window;
        WriteText(project.context.documents.emcyWord,
                  "<emcyword>" + WordRow("0", "7") + WordRow("0", "5") + WordRow("0", "3") + "</emcyword>");
        window.Reload();
        auto* tree = Find<QTreeWidget>(window, "tree");
        tree->setCurrentItem(tree->topLevelItem(1));
        window.DeleteClick(CanSide::A);
        QCOMPARE(tree->selectedItems().value(0), tree->topLevelItem(1));
        QCOMPARE(Find(window, "idEdit")->text(), QString("3"));
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::EmcyWordWindowTest)
#include "emcy_word_window_test.moc"
