#include "gui/canopen/emcy_word_window.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

namespace {

struct WindowOnProject {
    TempDir dir;
    ProjectContext context = [this] {
        ProjectContext made;
        made.projectDirectory = dir.path();
        made.DeriveDocumentPaths();
        return made;
    }();
    testing::RecordingDialogs dialogs;
    TFWemcy window{context, dialogs};

    template <typename Widget>
    Widget* Find(const QString& name) {
        auto* widget = window.findChild<Widget*>(name);
        if (!widget) qFatal("no widget %s", qPrintable(name));
        return widget;
    }
    QString Field(const char* name, const char* side = "A") { return Find<QLineEdit>(name + QString(side))->text(); }
    void Type(const char* name, const QString& text, const char* side = "A") {
        Find<QLineEdit>(name + QString(side))->setText(text);
    }
};

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
        WindowOnProject project;
        WriteText(project.context.documents.emcyWord,
                  "<emcyword>" + WordRow("0", "7") + WordRow("0", "5") + WordRow("1", "9") + "</emcyword>");
        project.window.Reload();
        QVERIFY(project.dialogs.messages.empty());
        QCOMPARE(project.window.windowTitle(), QString("Define EMCY Word"));
        auto* tree = project.Find<QTreeWidget>("treeA");
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(1)->text(0), QString("W1"));
        QCOMPARE(tree->topLevelItem(1)->child(15)->text(0), QString("Bit15"));
        QVERIFY(!tree->topLevelItem(0)->icon(0).isNull());

        tree->setCurrentItem(tree->topLevelItem(1)->child(3));
        QCOMPARE(project.Find<QGroupBox>("wordGroupB")->title(), QString("Word n°1 Emcy Define "));
        QCOMPARE(project.Find<QGroupBox>("bitGroupA")->title(), QString("Mask BIT n°3 Define"));
        QCOMPARE(project.Field("idEdit"), QString("5"));
        QCOMPARE(project.Field("maskByte2Edit"), QString("m2"));
        QCOMPARE(project.Field("emcyByte1Edit"), QString("3"));
        QCOMPARE(project.Field("emcyByte2Edit"), QString("5"));

        project.Type("emcyByte2Edit", "20");
        project.window.ModifyClick(CanSide::A);
        QCOMPARE(project.window.Words().Side(CanSide::A)[1].bits[3].combined, std::string("68"));

        tree->setCurrentItem(tree->topLevelItem(0));  // a word node: the bit fields empty
        QCOMPARE(project.Field("maskByte1Edit"), QString());
        project.window.NewClick(CanSide::A);  // the same three texts again
        QCOMPARE(project.dialogs.Texts(), std::vector<std::string>{"Index Not Valid"});
        project.Type("idEdit", "3");
        project.window.NewClick(CanSide::A);
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(2)->text(0), QString("W2"));
        tree->setCurrentItem(tree->topLevelItem(2)->child(0));
        QCOMPARE(project.Field("emcyByte1Edit"), QString());  // a new word's bits show empty

        tree->setCurrentItem(tree->topLevelItem(0));
        project.window.DeleteClick(CanSide::A);
        QCOMPARE(tree->topLevelItemCount(), 2);
        project.window.OkClick();
        QCOMPARE(project.dialogs.messages.size(), size_t(1));
        const std::string saved = ReadText(project.context.documents.emcyWord);
        QVERIFY(saved.find("devid=\"3\"") < saved.find("devid=\"5\""));
        QVERIFY(saved.find("bit3_poscomp=\"68\"") != std::string::npos);
        QVERIFY(saved.find("devid=\"7\"") == std::string::npos);
    }

    void ImportTakesTheSheetAndExportWritesOneLinePerWord() {
        WindowOnProject project;
        project.window.Reload();
        QCOMPARE(project.dialogs.Texts(), std::vector<std::string>{"File XML not found"});
        project.dialogs.openAnswers.push_back(std::string(KESTROVA_TEST_DATA) + "/canopen/canopen.xls");
        project.window.ImportClick();
        QCOMPARE(project.dialogs.openRequests.at(0).filter, std::string("File EXCEL (*.xls)|*.xls"));
        QCOMPARE(project.Find<QTreeWidget>("treeA")->topLevelItemCount(), 1);
        QCOMPARE(project.Find<QTreeWidget>("treeB")->topLevelItemCount(), 1);
        QCOMPARE(project.window.Words().Side(CanSide::B)[0].bits[15].combined, std::string("0x8001"));

        project.window.ExportClick();
        const std::string csv = ReadText(project.dir / "emcyword.csv");
        QVERIFY(csv.rfind("0x1001,0,5,0,1,0,1,2,0,2,", 0) == 0);
        QVERIFY(csv.find("\r\n0x1002,1,6,1,") != std::string::npos);
        QCOMPARE(project.dialogs.messages.size(), size_t(1));
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::EmcyWordWindowTest)
#include "emcy_word_window_test.moc"
