#include "gui/app/folder_browser_dialog.h"

#include "core/project/file_system.h"
#include "support/temp_dir.h"

#include <QTreeWidget>
#include <QtTest>

using namespace kestrova;
using kestrova::testing::TempDir;

class FolderBrowserDialogTest : public QObject {
    Q_OBJECT

private slots:
    void onlyTheRootAndFoldersBelowItCanBeChosen() {
        TempDir dir;
        CreateDirectories(dir / "PROJECTS/A/B");
        CreateDirectories(dir / "PROJECTS/C");
        CreateDirectories(dir / "Outside");
        testing::WriteText(dir / "PROJECTS/file.xml", "<x/>");
        const QString root = QString::fromStdString(dir / "PROJECTS");
        FolderBrowserDialog browser(root);
        auto* tree = browser.findChild<QTreeWidget*>("folderTree");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->childCount(), 2);  // A and C; files are not listed
        QCOMPARE(browser.SelectedPath(), root);

        browser.Select(root + "/A/B");
        QCOMPARE(browser.SelectedPath(), root + "/A/B");
        browser.Select(QString::fromStdString(dir / "Outside"));
        QCOMPARE(browser.SelectedPath(), root);
        browser.Select(root + "/A/Missing");
        QCOMPARE(browser.SelectedPath(), root + "/A");
        browser.Select(root + "/../Outside");
        QCOMPARE(browser.SelectedPath(), root);
        browser.Select(QString());
        QCOMPARE(browser.SelectedPath(), root);
    }
};

QTEST_MAIN(FolderBrowserDialogTest)
#include "folder_browser_dialog_test.moc"
