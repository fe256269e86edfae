#include "gui/editors/communication_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "core/project/file_system.h"
#include "grid_typing.h"

namespace kestrova {

using testing::ContextIn;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;
using Editor = testing::EditorOnProject<TFpargen>;

namespace {

template <typename Widget>
Widget* Find(QWidget& window, const char* name) {
    auto* widget = window.findChild<Widget*>(name);
    if (!widget) qFatal("no widget %s", name);
    return widget;
}

// Replaces a field's text by typing, as a user does after selecting it.
void Retype(QWidget& window, const char* field, const QString& text) {
    auto* edit = Find<QLineEdit>(window, field);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

}  // namespace

class CommunicationWindowTest : public QObject {
    Q_OBJECT

private slots:
    void EveryShowingReloadsAndANewProjectGetsOnlyTheDefaults() {
        TempDir first, second;
        WriteText(first / "pargen.xml",
                  "<Par_Gen><Can_Baud>8</Can_Baud><Can_Send_Data>1</Can_Send_Data><Can_Delay_Send>20</Can_Delay_Send>"
                  "<Can_TimeOut>9</Can_TimeOut><Can_Peer>1</Can_Peer><Filter_FECA>1</Filter_FECA>"
                  "<TimeOut_FECA>700</TimeOut_FECA><Profi_ID>33</Profi_ID><Profi_Module>1</Profi_Module></Par_Gen>");
        auto context = ContextIn(first.path());
        testing::RecordingDialogs dialogs;
        TFpargen window(context, dialogs);
        QCOMPARE(window.windowTitle(), QString("SET COMMUNICATION"));
        QVERIFY(window.Reload());
        QCOMPARE(Find<QComboBox>(window, "canBaudCombo")->currentText(), QString("1000K"));
        QVERIFY(Find<QRadioButton>(window, "sendEveryRadio")->isChecked());
        QCOMPARE(Find<QLineEdit>(window, "fecaTimeOutEdit")->text(), QString("700"));
        QVERIFY(Find<QCheckBox>(window, "filterFecaCheck")->isChecked());
        QVERIFY(Find<QCheckBox>(window, "moduleCheck")->isChecked());

        context = ContextIn(second.path());  // "Open project" on a project without pargen.xml
        QVERIFY(window.Reload());
        QCOMPARE(Find<QComboBox>(window, "profiBaudCombo")->currentText(), QString("Auto Baudrate"));
        QVERIFY(!Find<QComboBox>(window, "profiBaudCombo")->isEnabled());
        window.show();
        QTest::mouseClick(Find<QPushButton>(window, "okButton"), Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(!window.isVisible());
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(ReadText(context.documents.pargen),
                 std::string("<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0</Can_Send_Data>"
                             "<Can_Delay_Send>1000</Can_Delay_Send><Can_TimeOut>5</Can_TimeOut><Can_Peer>0</Can_Peer>"
                             "<Filter_FECA>0</Filter_FECA><TimeOut_FECA>1</TimeOut_FECA><Profi_ID>1</Profi_ID>"
                             "<Profi_Baud>10</Profi_Baud><Profi_Module>0</Profi_Module>"
                             "<Profi_Send_J1939>0</Profi_Send_J1939></Par_Gen>"));
    }

    void ARefusalKeepsTheEntriesAndTheWindowOpenUntilTheyAreFixed() {
        Editor editor;
        auto& window = editor.window;
        QVERIFY(window.Reload());
        window.show();
        Retype(window, "delaySendEdit", "50001");
        Retype(window, "profiIdEdit", "126");
        window.OkClick();
        QCOMPARE(editor.dialogs.messages.size(), size_t{1});
        QCOMPARE(editor.dialogs.messages[0].kind, MessageKind::Error);
        QCOMPARE(editor.LastMessage(),
                 std::string("Error!! J1939 delay to send frames every seconds must be between 1 and 50000 mS. "));
        QVERIFY(window.isVisible());
        QVERIFY(!FileExists(editor.context.documents.pargen));

        Retype(window, "delaySendEdit", "0x10");
        Retype(window, "profiIdEdit", "125");
        QTest::keyClick(Find<QRadioButton>(window, "sendPerFrameRadio"), Qt::Key_Space);
        QTest::keyClick(Find<QCheckBox>(window, "filterFecaCheck"), Qt::Key_Space);
        auto* baud = Find<QComboBox>(window, "canBaudCombo");
        baud->lineEdit()->selectAll();
        QTest::keyClicks(baud->lineEdit(), "20K");
        window.OkClick();
        QCOMPARE(editor.LastMessage(), std::string("Error!! J1939 Baudrate have to be at least 50Kbit/s. "));
        baud->setCurrentIndex(4);
        window.OkClick();
        QCOMPARE(editor.dialogs.messages.size(), size_t{2});
        QCOMPARE(window.result(), int(QDialog::Accepted));
        const std::string text = ReadText(editor.context.documents.pargen);
        QVERIFY(text.find("<Can_Baud>4</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>2</Can_Send_Data>"
                          "<Can_Delay_Send>0x10</Can_Delay_Send>") != std::string::npos);
        QVERIFY(text.find("<Filter_FECA>1</Filter_FECA><TimeOut_FECA>1</TimeOut_FECA><Profi_ID>125</Profi_ID>") !=
                std::string::npos);
    }

    void CancelWritesNothingAFailedWriteKeepsTheWindowOpenABadDocumentKeepsItShut() {
        Editor editor;
        auto& window = editor.window;
        bool shown = false;
        QTimer::singleShot(0, &window, [&] {
            shown = window.isVisible();
            Retype(window, "timeOutEdit", "77");
            QTest::mouseClick(Find<QPushButton>(window, "cancelButton"), Qt::LeftButton);
        });
        window.ShowModal();
        QVERIFY(shown);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(!FileExists(editor.context.documents.pargen));

        editor.context = ContextIn(editor.dir / "missing-directory");
        QVERIFY(window.Reload());
        window.show();
        window.OkClick();
        QCOMPARE(editor.dialogs.messages.size(), size_t{1});
        QCOMPARE(editor.dialogs.messages[0].kind, MessageKind::Plain);
        QVERIFY(window.isVisible());
        QVERIFY(window.result() != QDialog::Accepted);

        // A document that cannot be read whole is reported and the window does not open on it.
        window.hide();
        editor.context = ContextIn(editor.dir.path());
        WriteText(editor.context.documents.pargen, "<Par_Gen><Can_Baud>5</Can_Baud></Par_Gen>");
        window.ShowModal();  // returns at once: nothing is shown
        QVERIFY(!window.isVisible());
        QCOMPARE(editor.LastMessage(),
                 "The element 'Can_Send_Data' is missing in " + editor.context.documents.pargen + ".");
        QCOMPARE(editor.dialogs.messages.back().kind, MessageKind::Error);
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::CommunicationWindowTest)
#include "communication_window_test.moc"
