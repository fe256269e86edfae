#include "gui/tools/xml_reader_writer_window.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include "core/project/xml_document.h"
#include "gui/project/new_project_dialog.h"
#include "support/modal.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

using namespace kestrova;
using kestrova::testing::ReadText;
using kestrova::testing::RecordingDialogs;
using kestrova::testing::TempDir;
using kestrova::testing::WhenModalShown;
using kestrova::testing::WriteText;

// The window over a project directory, with documents to open in another folder.
struct XmlWindowOnProject {
    XmlWindowOnProject() {
        std::filesystem::create_directories(dir / "project");
        std::filesystem::create_directories(dir / "other");
        context.projectDirectory = dir / "project";
        window.show();
    }
    void Open(const std::string& path) {
        dialogs.openAnswers.push_back(path);
        window.OpenClick();
    }
    QTreeWidgetItem* Item(std::initializer_list<int> path) const {
        QTreeWidgetItem* item = window.Tree()->topLevelItem(0);
        for (int index : path) item = item->child(index);
        return item;
    }
    TempDir dir;
    ProjectContext context;
    RecordingDialogs dialogs;
    TFsaveproj nameDialog{context, dialogs};
    TFXML window{context, dialogs, nameDialog};
};

class XmlReaderWriterWindowTest : public QObject {
    Q_OBJECT

private slots:
    void projectDocumentsAreShownAndWrittenBackUnchanged() {
        XmlWindowOnProject w;
        WriteValueRecord(w.dir / "other/pargen.xml", "Par_Gen", {{"Can_Baud", "5"}, {"Profi_ID", "3"}});
        WriteRowList(w.dir / "other/Receive_Frame.xml", "Receive_Frames",
                     {{{"PGN", "65226"}, {"Name", "Lamp & \"x\""}}, {{"PGN", "0xFECA"}, {"Name", "y"}}});
        for (const char* name : {"pargen.xml", "Receive_Frame.xml"}) {
            w.Open(w.dir / (std::string("other/") + name));
            QCOMPARE(w.dialogs.openRequests.back().title, std::string("Open XML File"));
            QCOMPARE(w.dialogs.openRequests.back().filter, std::string("XML Files (*.xml)|*.xml"));
            QCOMPARE(w.Item({})->text(0), QString("File: ") + name);
            w.window.WriteClick();
            QCOMPARE(ReadText(w.dir / (std::string("project/") + name)),
                     ReadText(w.dir / (std::string("other/") + name)));
        }
        QCOMPARE(w.Item({0, 0, 1})->text(0), QString("Name = Lamp & \"x\""));
        QCOMPARE(w.Item({0, 1})->data(0, Qt::UserRole).toInt(), XmlItemImage(TXMLNodeType::Element));
        QCOMPARE(w.Item({0, 1, 0})->data(0, Qt::UserRole).toInt(), XmlItemImage(TXMLNodeType::Attribute));
        QVERIFY(!w.Item({0})->isExpanded());
        w.window.findChild<QPushButton*>("expandButton")->click();
        QVERIFY(w.Item({0, 1})->isExpanded());
        QVERIFY(w.dialogs.messages.empty());
    }

    void renameByF2OrRightClickWritesTheNewText() {
        XmlWindowOnProject w;
        WriteText(w.dir / "other/pargen.xml", "<Par_Gen><Can_Baud>5</Can_Baud><row PGN=\"1\"/></Par_Gen>\n");
        w.Open(w.dir / "other/pargen.xml");
        w.window.FullExpandClick();
        QTreeWidget* tree = w.window.Tree();
        tree->setCurrentItem(w.Item({0, 1}));
        QString shownText;
        WhenModalShown([&](QWidget* shown) {
            auto* edit = shown->findChild<QLineEdit*>("nameEdit");
            shownText = edit->text();
            edit->setText("line");
            shown->findChild<QPushButton*>("okButton")->click();
        });
        QTest::keyClick(tree, Qt::Key_F2);
        QCOMPARE(shownText, QString("row"));

        // A right click on another item renames the selected one; Cancel keeps its text.
        tree->setCurrentItem(w.Item({0, 0}));
        WhenModalShown([&](QWidget* shown) {
            shownText = shown->findChild<QLineEdit*>("nameEdit")->text();
            shown->findChild<QLineEdit*>("nameEdit")->setText("ignored");
            shown->findChild<QPushButton*>("cancelButton")->click();
        });
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(w.Item({0, 1})).center());
        QCOMPARE(shownText, QString("Can_Baud = 5"));
        QCOMPARE(tree->currentItem(), w.Item({0, 0}));

        // A text longer than a line edit holds by default comes back whole on OK.
        const QString longText = "Can_Baud = " + QString(40000, 'x');
        w.Item({0, 0})->setText(0, longText);
        WhenModalShown([](QWidget* shown) { shown->findChild<QPushButton*>("okButton")->click(); });
        QTest::keyClick(tree, Qt::Key_F2);
        QCOMPARE(w.Item({0, 0})->text(0), longText);
        w.Item({0, 0})->setText(0, "Can_Baud = 5");
        w.window.WriteClick();
        QCOMPARE(ReadText(w.dir / "project/pargen.xml"),
                 std::string("<Par_Gen><Can_Baud>5</Can_Baud><line PGN=\"1\"/></Par_Gen>"));
    }

    // An ISO-8859-1 file from xmllint shows its letters and is written back in its own bytes.
    void declaredEncodingsAreShownAndWrittenBack() {
        XmlWindowOnProject w;
        const std::string fixture = std::string(KESTROVA_TEST_DATA) + "/tools/device_description.latin1.xml";
        w.Open(fixture);
        QCOMPARE(w.Item({1, 1, 1, 0})->text(0), QString::fromUtf8("Name = Müller Gerätebau"));
        QCOMPARE(w.Item({1, 1, 1, 0})->data(0, Qt::UserRole).toInt(), XmlItemImage(TXMLNodeType::Attribute));
        QVERIFY(!w.Item({1, 1, 1, 0})->icon(0).isNull());
        w.window.WriteClick();
        QVERIFY(w.dialogs.messages.empty());
        const std::string written = ReadText(w.dir / "project/device_description.latin1.xml");
        QVERIFY(written.find("Name=\"M\xFCller Ger\xE4tebau\"") != std::string::npos);
    }

    // A file of more tiny nodes than the window can hold is refused; the tree stays.
    void aTreeTooLargeForTheWindowIsRefused() {
        XmlWindowOnProject w;
        WriteText(w.dir / "other/pargen.xml", "<Par_Gen><Can_Baud>5</Can_Baud></Par_Gen>\n");
        std::string text = "<r>";
        for (int i = 0; i < 300000; ++i) text += "<a/>";
        WriteText(w.dir / "other/empty.xml", text + "</r>\n");
        w.Open(w.dir / "other/pargen.xml");
        w.Open(w.dir / "other/empty.xml");
        QCOMPARE(w.dialogs.messages.size(), size_t{1});
        QVERIFY(w.dialogs.messages[0].text.find("The file empty.xml holds 300002 nodes") == 0);
        QCOMPARE(w.Item({})->text(0), QString("File: pargen.xml"));
    }

    void cancelFailureAndNoProjectLeaveTheTreeAndFiles() {
        XmlWindowOnProject w;
        WriteText(w.dir / "other/pargen.xml", "<Par_Gen><Can_Baud>5</Can_Baud></Par_Gen>\n");
        WriteText(w.dir / "other/bad.xml", "<a></b>\n");
        w.Open(w.dir / "other/pargen.xml");
        w.window.OpenClick();  // the file dialog cancelled
        w.Open(w.dir / "other/bad.xml");
        QCOMPARE(w.dialogs.messages.size(), size_t{1});
        QCOMPARE(w.dialogs.messages[0].kind, MessageKind::Error);
        QCOMPARE(w.dialogs.messages[0].text, std::string("End tag name \"b\" does not match start tag name \"a\""));
        QCOMPARE(w.Item({})->text(0), QString("File: pargen.xml"));
        QVERIFY(w.window.findChild<QPushButton*>("openButton")->isEnabled());

        w.context.projectDirectory.clear();
        w.window.WriteClick();
        QCOMPARE(w.dialogs.messages.back().text, std::string("Project not valid"));
        QVERIFY(w.window.findChild<QPushButton*>("writeButton")->isEnabled());
        QVERIFY(!std::filesystem::exists(w.dir / "project/pargen.xml"));
    }
};

QTEST_MAIN(XmlReaderWriterWindowTest)
#include "xml_reader_writer_window_test.moc"
