#include "gui/project/new_project_dialog.h"

#include "core/project/file_system.h"
#include "core/project/workspace.h"
#include "support/modal.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace kestrova;
using kestrova::testing::RecordingDialogs;
using kestrova::testing::TempDir;
using kestrova::testing::WhenModalShown;

// A fresh workspace and the dialog set up as "New project" sets it up.
struct DialogOnWorkspace {
    DialogOnWorkspace() {
        OpenWorkspace(context, exe.path());
        dialog.SetDestinationDirectory(context.projectsDirectory);
    }
    TempDir exe;
    ProjectContext context;
    RecordingDialogs dialogs;
    TFsaveproj dialog{context, dialogs};
};

class NewProjectDialogTest : public QObject {
    Q_OBJECT

    static void Type(QWidget* dialog, const QString& text) {
        auto* edit = dialog->findChild<QLineEdit*>("nameEdit");
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    static void Press(QWidget* dialog, const char* button) { dialog->findChild<QPushButton*>(button)->click(); }

private slots:
    void emptyNameIsRefusedAndTheDialogStaysOpen() {
        DialogOnWorkspace w;
        ProjectContext& context = w.context;
        RecordingDialogs& dialogs = w.dialogs;
        TFsaveproj& dialog = w.dialog;
        bool stillOpen = false;
        WhenModalShown([&](QWidget* shown) {
            Press(shown, "okButton");
            stillOpen = shown->isVisible();
            Press(shown, "cancelButton");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(stillOpen);
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Name project not valid"});
        QCOMPARE(context.projectDirectory, context.projectsDirectory);
    }

    void existingNameIsRefusedThenANewOneIsCreated() {
        DialogOnWorkspace w;
        ProjectContext& context = w.context;
        RecordingDialogs& dialogs = w.dialogs;
        TFsaveproj& dialog = w.dialog;
        CreateDirectories(context.projectsDirectory + "/Demo");
        WhenModalShown([&](QWidget* shown) {
            QCOMPARE(shown->windowTitle(), QString("New project"));
            Type(shown, "Demo");
            Press(shown, "okButton");
            Type(shown, "Demo2");
            QTest::keyClick(shown->findChild<QLineEdit*>("nameEdit"), Qt::Key_Return);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Name project not valid because directory already exists"});
        QCOMPARE(context.projectName, std::string("Demo2"));
        QVERIFY(DirectoryExists(context.projectsDirectory + "/Demo2/bin"));
    }

    void everyShowStartsFromAnEmptyField() {
        DialogOnWorkspace w;
        RecordingDialogs& dialogs = w.dialogs;
        TFsaveproj& dialog = w.dialog;
        WhenModalShown([&](QWidget* shown) {
            Type(shown, "Half typed");
            QTest::keyClick(shown, Qt::Key_Escape);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QString seen = "not shown";
        WhenModalShown([&](QWidget* shown) {
            seen = shown->findChild<QLineEdit*>("nameEdit")->text();
            Press(shown, "cancelButton");
        });
        dialog.exec();
        QCOMPARE(seen, QString());
        QVERIFY(dialogs.messages.empty());
    }

    void editXmlModeKeepsTheCallersTextAndAlwaysCloses() {
        DialogOnWorkspace w;
        RecordingDialogs& dialogs = w.dialogs;
        TFsaveproj& dialog = w.dialog;
        dialog.SetMode(TFsaveproj::Mode::EditXml);
        dialog.SetEditText("attribute value");
        bool labelHidden = false;
        WhenModalShown([&](QWidget* shown) {
            QCOMPARE(shown->windowTitle(), QString("Edit XML"));
            QCOMPARE(shown->findChild<QLineEdit*>("nameEdit")->text(), QString("attribute value"));
            labelHidden = !shown->findChild<QLabel*>()->isVisible();
            Type(shown, "");
            Press(shown, "okButton");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(labelHidden);
        QCOMPARE(dialog.EditText(), QString());
        QVERIFY(dialogs.messages.empty());
    }
};

QTEST_MAIN(NewProjectDialogTest)
#include "new_project_dialog_test.moc"
