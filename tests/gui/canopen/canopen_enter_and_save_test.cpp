// The four CANopen windows: Enter in a field presses no button, and OK never overwrites
// what another program wrote, or the rows a show could not read, without asking.
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <map>

#include "core/project/loaded_document.h"
#include "gui/canopen/emcy_translation_window.h"
#include "gui/canopen/emcy_word_window.h"
#include "gui/canopen/sdo_access_window.h"
#include "gui/canopen/stored_pdo_window.h"
#include "gui/editors/grid_typing.h"

namespace kestrova {

using testing::ReadText;
using testing::WriteText;

std::string Emcy(const std::string& id, const std::string& bypass) {
    return "<row id_dev=\"" + id +
           "\" mask_eq_ec=\"1\" mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m2=\"4\" mask_eq_m3=\"5\" enmask_eq_ec=\"6\" "
           "enmask_eq_er=\"7\" enmask_eq_m1=\"8\" enmask_eq_m2=\"9\" enmask_eq_m3=\"10\" bypass_set=\"" +
           bypass + "\"/>";
}

std::string Word(const std::string& id, const std::string& extdata) {
    std::string row = "<row index_addrm=\"1\" subindex=\"2\" extdata=\"" + extdata + "\" devid=\"" + id + "\"";
    for (int bit = 0; bit < 16; ++bit)
        for (const char* field : {"b0", "b1", "poscomp"}) row += " bit" + std::to_string(bit) + "_" + field + "=\"1\"";
    return row + "/>";
}

std::string Sdo(const std::string& index, const std::string& nrpdo) {
    return "<row index=\"" + index + "\" subindex=\"1\" nrpdo=\"" + nrpdo + "\" poscomp=\"18\"/>";
}

const std::string kSdoAccess =
    "<sdo><row conf=\"16\" IndexA=\"1\" SubindexA=\"2\" devIDB=\"3\" IndexB=\"4\" SubindexB=\"5\" nbyteB=\"6\"/>"
    "<row conf=\"1\" IndexA=\"7\" SubindexA=\"8\" devIDB=\"9\" IndexB=\"10\" SubindexB=\"11\" nbyteB=\"12\"/></sdo>";

// Every file of the project folder with its bytes.
std::map<std::string, std::string> Files(const std::string& directory) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        files[entry.path().filename().string()] = ReadText(entry.path().string());
    return files;
}

// Presses Return and Enter in every line edit and grid of every page; after each the window is
// open, its entries (`state`) as before and the project folder untouched.
void PressEnterInEveryField(QDialog& window, const std::string& directory, const std::function<std::string()>& state) {
    const auto files = Files(directory);
    const std::string before = state();
    auto* tabs = window.findChild<QTabWidget*>();
    QVERIFY(tabs);
    int fields = 0;
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QList<QWidget*> targets;
        for (QLineEdit* edit : tabs->widget(tab)->findChildren<QLineEdit*>())
            if (edit->isVisible()) targets << edit;
        for (EditorGrid* grid : tabs->widget(tab)->findChildren<EditorGrid*>()) targets << grid;
        for (QWidget* field : targets) {
            ++fields;
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
                field->setFocus();
                QTest::keyClick(field, key);
                QCoreApplication::processEvents();
                const QByteArray where = (window.windowTitle() + " " + field->objectName()).toUtf8();
                QVERIFY2(window.isVisible(), where.constData());
                QVERIFY2(state() == before, where.constData());
                QVERIFY2(Files(directory) == files, where.constData());
            }
        }
    }
    QVERIFY(fields > 0);
}

// OK of the shown window asks `question`: No (the default) leaves the window open and the file as it is, Yes
// writes `written` (not looked at when empty) and closes the window.
template <class Window>
void OkWritesOnlyAfterYes(testing::EditorOnProject<Window>& project, const std::string& path,
                          const std::string& question, const std::string& written) {
    const std::string stored = ReadText(path);
    project.window.OkClick();
    QCOMPARE(project.dialogs.questions, std::vector<std::string>{question});
    QVERIFY(project.window.isVisible());
    QCOMPARE(ReadText(path), stored);
    if (written.empty()) return;
    project.dialogs.yesNoAnswers = {true};
    project.window.OkClick();
    QCOMPARE(project.window.result(), int(QDialog::Accepted));
    QCOMPARE(ReadText(path), written);
}

class CanopenEnterAndSaveTest : public QObject {
    Q_OBJECT

private slots:
    void EnterInAFieldOfSetTraslateEmcyDeletesNothing() {
        testing::EditorOnProject<TFemcy> project;
        WriteText(project.context.documents.emcyDef,
                  "<emcydef>" + Emcy("3", "0") + Emcy("4", "0") + Emcy("5", "32") + "</emcydef>");
        project.window.Reload();
        project.window.show();
        PressEnterInEveryField(project.window, project.dir.path(), [&] {
            std::string state;
            for (CanSide side : kCanSides)
                for (const std::string& item : project.window.Pages().Side(side).items) state += item + ",";
            return state + std::to_string(project.window.Pages().Side(CanSide::A).selected.value_or(99));
        });
    }

    void EnterInAFieldOfDefineEmcyWordNeitherDeletesNorSaves() {
        testing::EditorOnProject<TFWemcy> project;
        WriteText(project.context.documents.emcyWord,
                  "<emcyword>" + Word("3", "0") + Word("4", "0") + Word("5", "1") + "</emcyword>");
        project.window.Reload();
        project.window.show();
        for (const char* name : {"treeA", "treeB"}) {
            auto* tree = project.window.findChild<QTreeWidget*>(name);
            tree->setCurrentItem(tree->topLevelItem(0));  // Delete would remove this word
        }
        PressEnterInEveryField(project.window, project.dir.path(), [&] {
            std::string state;
            for (CanSide side : kCanSides)
                for (const TClWEmcy& word : project.window.Words().Side(side)) state += word.id + ",";
            return state;
        });
    }

    void EnterInAFieldOfDefineStorePdoNeitherDeletesNorSaves() {
        testing::EditorOnProject<TFInfopdo> project;
        WriteText(project.dir / "rpdodef.xml",
                  "<r><row cobid=\"1\" en_bypass=\"0\"/><row cobid=\"2\" en_bypass=\"2\"/></r>");
        WriteText(project.context.documents.sdoPdo,
                  "<sdopdo>" + Sdo("1", "1") + Sdo("2", "1") + Sdo("3", "129") + "</sdopdo>");
        project.window.Reload();
        project.window.show();
        for (const char* side : {"A", "B"}) {
            project.window.findChild<QListWidget*>(QString("pdoList") + side)->setCurrentRow(0);
            project.window.findChild<QListWidget*>(QString("sdoList") + side)->setCurrentRow(0);
        }
        PressEnterInEveryField(project.window, project.dir.path(), [&] {
            std::string state;
            for (CanSide side : kCanSides)
                for (const TClPdo& pdo : project.window.Pages().Side(side).pdos)
                    for (const TClSdo& sdo : pdo.sdos) state += sdo.index + ",";
            return state;
        });
    }

    void EnterInTheGridsOfSetSdoAccessClosesNothing() {
        testing::EditorOnProject<TFsdo> project;
        WriteText(project.dir / "sdo.xml", kSdoAccess);
        project.window.Reload();
        project.window.show();
        PressEnterInEveryField(project.window, project.dir.path(), [&] {
            std::string state;
            for (CanSide side : kCanSides)
                state += std::to_string(ListLength(SdoAccessLayout(), project.window.Tables().Side(side))) + ",";
            return state;
        });
    }

    void OkAsksBeforeOverwritingWhatAnotherProgramWrote() {
        testing::EditorOnProject<TFemcy> project;
        const std::string& path = project.context.documents.emcyDef;
        WriteText(path, "<emcydef>" + Emcy("3", "0") + "</emcydef>");
        project.window.Reload();
        project.window.show();
        WriteText(path, "<emcydef>" + Emcy("3", "0") + Emcy("9", "0") + "</emcydef>");
        OkWritesOnlyAfterYes(project, path, ChangedOnDiskQuestion(path), "<emcydef>" + Emcy("3", "0") + "</emcydef>");
    }

    void OkAfterAPartReadAsksBeforeDroppingTheOtherRows() {
        testing::EditorOnProject<TFemcy> project;
        const std::string& path = project.context.documents.emcyDef;
        WriteText(path, "<emcydef>" + Emcy("3", "0") + Emcy("4", "x") + Emcy("5", "0") + "</emcydef>");
        project.window.Reload();
        QCOMPARE(project.LastMessage(), std::string("Error in reading file XML"));
        project.window.show();
        OkWritesOnlyAfterYes(project, path,
                             path +
                                 " was read only in part (1 rows kept, 2 dropped). Writing now removes the others. "
                                 "Write anyway?",
                             "<emcydef>" + Emcy("3", "0") + "</emcydef>");
    }

    void OkOfDefineStorePdoWithoutItsPdosAsksFirst() {
        testing::EditorOnProject<TFInfopdo> project;
        const std::string& path = project.context.documents.sdoPdo;
        WriteText(path, "<sdopdo>" + Sdo("1", "1") + Sdo("2", "129") + "</sdopdo>");  // no rpdodef.xml
        project.window.Reload();
        project.window.show();
        RowsRead rows;
        rows.dropped = 2;
        OkWritesOnlyAfterYes(project, path, PartlyReadQuestion(path, rows), "");
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::CanopenEnterAndSaveTest)
#include "canopen_enter_and_save_test.moc"
