#include "gui/canopen/stored_pdo_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

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
    TFInfopdo window{context, dialogs};

    template <typename Widget>
    Widget* Find(const QString& name) {
        auto* widget = window.findChild<Widget*>(name);
        if (!widget) qFatal("no widget %s", qPrintable(name));
        return widget;
    }
    QLineEdit* Edit(const char* name, const char* side = "A") { return Find<QLineEdit>(name + QString(side)); }
    QButtonGroup* Group(const char* name, const char* side = "A") { return Find<QButtonGroup>(name + QString(side)); }
};

}  // namespace

class StoredPdoWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ClickingPdoAndSdoShowsThemAndNewModifyPasteAndOkWork() {
        WindowOnProject project;
        WriteText(project.dir / "sdo.xml", "<sdo><row conf=\"0\" IndexA=\"0x1800\" SubindexA=\"0\"/></sdo>");
        WriteText(project.dir / "rpdodef.xml",
                  "<r><row cobid=\"0x181\" en_bypass=\"0\"/><row cobid=\"0x182\" en_bypass=\"2\"/>"
                  "<row cobid=\"0x183\" en_bypass=\"0\"/></r>");
        WriteText(project.context.documents.sdoPdo,
                  "<sdopdo><row index=\"4096\" subindex=\"2\" nrpdo=\"2\" poscomp=\"56\"/>"
                  "<row index=\"8192\" subindex=\"1\" nrpdo=\"2\" poscomp=\"1\"/></sdopdo>");
        project.window.Reload();
        QVERIFY(project.dialogs.messages.empty());
        QCOMPARE(project.window.windowTitle(), QString("Define Store PDO"));
        auto* pdos = project.Find<QListWidget>("pdoListA");
        auto* sdos = project.Find<QListWidget>("sdoListA");
        QCOMPARE(pdos->count(), 2);
        QCOMPARE(pdos->item(1)->text(), QString("0x183"));
        QCOMPARE(project.Find<QListWidget>("pdoListB")->count(), 1);
        QCOMPARE(sdos->count(), 0);

        pdos->setCurrentRow(1);
        QCOMPARE(sdos->count(), 2);
        QCOMPARE(sdos->item(1)->text(), QString("Sdo1"));
        sdos->setCurrentRow(0);
        QCOMPARE(project.Edit("indexEdit")->text(), QString("4096"));
        QCOMPARE(project.Group("highGroup")->checkedId(), 3);
        QCOMPARE(project.Group("lowGroup")->checkedId(), 8);

        project.window.CopySdoClick(CanSide::A);
        project.window.ModifySdoClick(CanSide::A);  // unchanged: accepted
        project.Edit("indexEdit")->setText("0x2000");
        project.Edit("subindexEdit")->setText("1");
        project.window.ModifySdoClick(CanSide::A);
        project.Edit("indexEdit")->setText("0x1800");
        project.Edit("subindexEdit")->setText("0");
        project.window.NewSdoClick(CanSide::A);
        QCOMPARE(project.dialogs.Texts(), (std::vector<std::string>{"Index or Subindex Not Valid",
                                                                    "Index or Subindex Not Valid,Sdo Already Exists"}));

        project.window.PasteSdoClick(CanSide::A);
        project.Edit("subindexEdit")->setText("7");
        project.Group("lowGroup")->button(2)->click();
        project.window.NewSdoClick(CanSide::A);
        QCOMPARE(sdos->count(), 3);
        QCOMPARE(sdos->currentRow(), 2);
        QCOMPARE(project.window.Pages().Side(CanSide::A).pdos[1].sdos[2], (TClSdo{"4096", "7", "50"}));

        project.window.PasteSdoClick(CanSide::B);  // nothing copied on side B
        QCOMPARE(project.dialogs.messages.size(), size_t(3));
        project.window.OkClick();
        QCOMPARE(ReadText(project.context.documents.sdoPdo),
                 std::string("<sdopdo><row index=\"4096\" subindex=\"2\" nrpdo=\"2\" poscomp=\"56\"/>"
                             "<row index=\"4096\" subindex=\"7\" nrpdo=\"2\" poscomp=\"50\"/>"
                             "<row index=\"8192\" subindex=\"1\" nrpdo=\"2\" poscomp=\"1\"/></sdopdo>"));
    }

    void MissingDocumentsAreReportedInTurnAndImportAttachesToTheLoadedPdos() {
        WindowOnProject project;
        project.window.Reload();
        QCOMPARE(project.dialogs.Texts(), (std::vector<std::string>{"File SDO XML not found", "File PDO XML not found",
                                                                    "File SDOPDO XML not found"}));
        project.dialogs.messages.clear();
        WriteText(project.dir / "rpdodef.xml",
                  "<r><row cobid=\"a\" en_bypass=\"0\"/><row cobid=\"b\" en_bypass=\"2\"/></r>");
        WriteText(project.context.documents.sdoPdo,
                  "<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"1\" poscomp=\"0\"/></sdopdo>");
        project.window.Reload();
        project.dialogs.messages.clear();

        project.dialogs.openAnswers.push_back(std::string(KESTROVA_TEST_DATA) + "/canopen/canopen.xls");
        project.window.ImportClick();
        QVERIFY(project.dialogs.messages.empty());
        const auto& pages = project.window.Pages();
        QCOMPARE(pages.Side(CanSide::A).pdos[0].sdos, (std::vector<TClSdo>{{"0x2000", "1", "56"}}));
        QCOMPARE(pages.Side(CanSide::B).pdos[0].sdos, (std::vector<TClSdo>{{"0x2001", "2", "3"}}));

        project.window.ExportClick();
        QCOMPARE(ReadText(project.dir / "sdopdo.csv"), std::string("0x2000,1,1,56,\r\n0x2001,2,129,3,\r\n"));
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::StoredPdoWindowTest)
#include "stored_pdo_window_test.moc"
