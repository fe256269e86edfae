#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QtTest>

#include "core/tools/help_file.h"
#include "gui/app/application_windows.h"
#include "gui/app/main_window.h"
#include "gui/tools/about_window.h"
#include "gui/tools/help_window.h"
#include "gui/tools/select_string_window.h"
#include "support/modal.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

using namespace kestrova;
using kestrova::testing::RecordingDialogs;
using kestrova::testing::TempDir;
using kestrova::testing::WhenModalShown;
using kestrova::testing::WriteText;

class AuxiliaryWindowsTest : public QObject {
    Q_OBJECT

    static QString Label(QWidget* window, const char* name) { return window->findChild<QLabel*>(name)->text(); }

private slots:
    void theAboutButtonOpensTheAboutTexts() {
        TempDir exe;
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        QPushButton* about = windows.main->Button(MainCommand::About);
        QVERIFY(about->isEnabled());
        QString title, version, software, document, subtitle;
        bool mailHidden = false;
        WhenModalShown([&](QWidget* shown) {
            title = shown->windowTitle();
            version = Label(shown, "version");
            software = Label(shown, "softwareCode");
            document = Label(shown, "documentCode");
            subtitle = Label(shown, "subtitle");
            mailHidden = !shown->findChild<QLabel*>("mailLink")->isVisible();
            shown->findChild<QPushButton*>("okButton")->click();
        });
        about->click();
        QCOMPARE(title, QString("About..."));
        QCOMPARE(version, QString("1.401"));
        QCOMPARE(software, QString("CQ48120"));
        QCOMPARE(document, QString("DM48120"));
        QCOMPARE(subtitle, QString("J1939 / PROFIBUS Slave - Converter"));
        QVERIFY(mailHidden);
        QVERIFY(dialogs.messages.empty());  // no project check before "About"
        for (const char* name : {"TFAbout", "TFHelp", "TFSELstringhe", "TFXML"}) QVERIFY(windows.openers.count(name));
    }

    void helpWithoutItsFileIsEmptyAndSaysSo() {
        TempDir exe;
        ProjectContext context = MakeProjectContext(exe.path());
        RecordingDialogs dialogs;
        TFHelp help(context, dialogs);
        help.TextBox()->setPlainText("stale");
        help.FormShow();
        QCOMPARE(help.windowTitle(), QString("Help"));
        QCOMPARE(help.TextBox()->toPlainText(), QString());
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Impossible to read file Help"});

        WriteText(exe / "help2.dat", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 Step 1\\par caf\\'e9 \\u8364?}");
        help.FormShow();
        QCOMPARE(help.TextBox()->toPlainText(), QString::fromUtf8("Step 1\ncaf\u00e9 \u20ac"));
        QCOMPARE(dialogs.messages.size(), size_t{1});
    }

    void selectStringWithoutDocumentRemembersTheIndex() {
        RecordingDialogs dialogs;
        TFSELstringhe select(dialogs);
        int result = -1;
        WhenModalShown([&](QWidget* shown) {
            auto* grid = static_cast<TFSELstringhe*>(shown)->Grid();
            QCOMPARE(grid->rowCount(), 1000);
            QCOMPARE(grid->horizontalHeaderItem(1)->text(), QString("String"));
            QCOMPARE(grid->item(999, 0)->text(), QString("999"));
            QCOMPARE(grid->item(5, 1)->text(), QString());
            QCOMPARE(grid->currentRow(), 0);
            QCOMPARE(shown->findChild<QLabel*>("selectedLabel")->text(), QString("Sel str: 0"));
            grid->setCurrentCell(12, 1);
            QCOMPARE(shown->findChild<QLabel*>("selectedLabel")->text(), QString("Sel str: 12"));
            shown->findChild<QPushButton*>("okButton")->click();
        });
        result = select.ShowModal();
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(select.SelectedIndex(), 12);
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"File strings XML not found"});

        TempDir dir;
        WriteText(dir / "strings.xml", "<S><s>zero</s><s>one</s></S>");
        select.SetStringsPath(dir / "strings.xml");
        select.FormShow();
        QCOMPARE(select.Grid()->currentRow(), 12);
        QCOMPARE(select.Grid()->item(1, 1)->text(), QString("one"));
        WriteText(dir / "strings.xml", "<S><s>zero</S>");
        select.FormShow();
        QCOMPARE(dialogs.messages.back().text, std::string("Error in reading file XML"));
        QCOMPARE(select.Grid()->item(1, 1)->text(), QString("one"));  // strings read earlier stay
    }
};

QTEST_MAIN(AuxiliaryWindowsTest)
#include "auxiliary_windows_test.moc"
