#include "gui/editors/communication_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "grid_typing.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova {

using testing::ContextIn;
using testing::ReadText;
using testing::RecordingDialogs;
using testing::TempDir;
using testing::WriteText;

namespace {

const char* const kDefaults =
    "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0</Can_Send_Data>"
    "<Can_Delay_Send>1000</Can_Delay_Send><Can_TimeOut>5</Can_TimeOut><Can_Peer>0</Can_Peer>"
    "<Filter_FECA>0</Filter_FECA><TimeOut_FECA>1</TimeOut_FECA><Profi_ID>1</Profi_ID>"
    "<Profi_Baud>10</Profi_Baud><Profi_Module>0</Profi_Module><Profi_Send_J1939>0</Profi_Send_J1939></Par_Gen>";

template <typename Widget>
Widget* Find(QWidget& window, const char* name) {
    auto* widget = window.findChild<Widget*>(name);
    if (!widget) qFatal("no widget %s", name);
    return widget;
}

// Replaces a field's text by typing, as a user does after selecting it.
void Retype(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

}  // namespace

class CommunicationWindowTest : public QObject {
    Q_OBJECT

private slots:
    void WithoutADocumentOkWritesTheDefaults() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFpargen window(context, dialogs);
        QCOMPARE(window.windowTitle(), QString("SET COMMUNICATION"));
        QVERIFY(window.Reload());
        QCOMPARE(Find<QComboBox>(window, "canBaudCombo")->currentText(), QString("250K"));
        QCOMPARE(Find<QComboBox>(window, "profiBaudCombo")->currentText(), QString("Auto Baudrate"));
        QVERIFY(!Find<QComboBox>(window, "profiBaudCombo")->isEnabled());
        QVERIFY(Find<QRadioButton>(window, "canType20BRadio")->isChecked());
        window.show();
        QTest::mouseClick(Find<QPushButton>(window, "okButton"), Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(!window.isVisible());
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(ReadText(context.documents.pargen), std::string(kDefaults));
    }

    void ARangeFailureKeepsTheWindowOpenAndWritesNothing() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFpargen window(context, dialogs);
        QVERIFY(window.Reload());
        window.show();
        Retype(Find<QLineEdit>(window, "delaySendEdit"), "50001");
        Retype(Find<QLineEdit>(window, "profiIdEdit"), "126");
        window.OkClick();
        QCOMPARE(dialogs.messages.size(), size_t{1});
        QCOMPARE(dialogs.messages[0].kind, MessageKind::Error);
        QCOMPARE(dialogs.messages[0].text,
                 std::string("Error!! J1939 delay to send frames every seconds must be between 1 and 50000 mS. "));
        QVERIFY(window.isVisible());
        QVERIFY(!QFile::exists(QString::fromStdString(context.documents.pargen)));

        // The user's entries stay; fixing them lets OK through.
        Retype(Find<QLineEdit>(window, "delaySendEdit"), "0x10");
        Retype(Find<QLineEdit>(window, "profiIdEdit"), "125");
        QTest::keyClick(Find<QRadioButton>(window, "sendPerFrameRadio"), Qt::Key_Space);
        QTest::keyClick(Find<QCheckBox>(window, "filterFecaCheck"), Qt::Key_Space);
        auto* baud = Find<QComboBox>(window, "canBaudCombo");
        baud->lineEdit()->selectAll();
        QTest::keyClicks(baud->lineEdit(), "20K");
        window.OkClick();
        QCOMPARE(dialogs.messages.back().text, std::string("Error!! J1939 Baudrate have to be at least 50Kbit/s. "));
        baud->setCurrentIndex(4);
        window.OkClick();
        QCOMPARE(dialogs.messages.size(), size_t{2});
        QCOMPARE(window.result(), int(QDialog::Accepted));
        const std::string text = ReadText(context.documents.pargen);
        QVERIFY(text.find("<Can_Baud>4</Can_Baud>") != std::string::npos);
        QVERIFY(text.find("<Can_Send_Data>2</Can_Send_Data><Can_Delay_Send>0x10</Can_Delay_Send>") !=
                std::string::npos);
        QVERIFY(text.find("<Filter_FECA>1</Filter_FECA>") != std::string::npos);
        QVERIFY(text.find("<Profi_ID>125</Profi_ID>") != std::string::npos);
    }

    void EveryShowingReloadsAndANewProjectGetsNoValuesOfTheLastOne() {
        TempDir first, second;
        WriteText(first / "pargen.xml",
                  "<Par_Gen><Can_Baud>8</Can_Baud><Can_Send_Data>1</Can_Send_Data><Can_Delay_Send>20</Can_Delay_Send>"
                  "<Can_TimeOut>9</Can_TimeOut><Can_Peer>1</Can_Peer><Filter_FECA>1</Filter_FECA>"
                  "<TimeOut_FECA>700</TimeOut_FECA><Profi_ID>33</Profi_ID><Profi_Module>1</Profi_Module></Par_Gen>");
        auto context = ContextIn(first.path());
        RecordingDialogs dialogs;
        TFpargen window(context, dialogs);
        QVERIFY(window.Reload());
        QCOMPARE(Find<QComboBox>(window, "canBaudCombo")->currentText(), QString("1000K"));
        QVERIFY(Find<QRadioButton>(window, "sendEveryRadio")->isChecked());
        QCOMPARE(Find<QLineEdit>(window, "fecaTimeOutEdit")->text(), QString("700"));
        QVERIFY(Find<QCheckBox>(window, "filterFecaCheck")->isChecked());
        QVERIFY(Find<QCheckBox>(window, "moduleCheck")->isChecked());

        context = ContextIn(second.path());  // "Open project" on a project without pargen.xml
        QVERIFY(window.Reload());
        QVERIFY(!Find<QCheckBox>(window, "filterFecaCheck")->isChecked());
        QCOMPARE(Find<QLineEdit>(window, "fecaTimeOutEdit")->text(), QString("1"));
        QVERIFY(!Find<QCheckBox>(window, "moduleCheck")->isChecked());
        QVERIFY(Find<QRadioButton>(window, "sendOnChangeRadio")->isChecked());
        QCOMPARE(Find<QLineEdit>(window, "profiIdEdit")->text(), QString("1"));
    }

    void AnUnreadableDocumentIsReportedAndTheWindowDoesNotOpen() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        WriteText(context.documents.pargen, "<Par_Gen><Can_Baud>5</Can_Baud></Par_Gen>");
        RecordingDialogs dialogs;
        TFpargen window(context, dialogs);
        window.ShowModal();  // returns at once: nothing is shown
        QVERIFY(!window.isVisible());
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"The element 'Can_Send_Data' is missing in " +
                                                           context.documents.pargen + "."});
    }

    void ShowModalOpensOnTheDocumentAndCancelWritesNothing() {
        TempDir dir;
        auto context = ContextIn(dir.path());
        RecordingDialogs dialogs;
        TFpargen window(context, dialogs);
        bool shown = false;
        QTimer::singleShot(0, &window, [&] {
            shown = window.isVisible();
            Retype(Find<QLineEdit>(window, "timeOutEdit"), "77");
            QTest::mouseClick(Find<QPushButton>(window, "cancelButton"), Qt::LeftButton);
        });
        window.ShowModal();
        QVERIFY(shown);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(QString::fromStdString(context.documents.pargen)));
    }

    void AFailedWriteIsShownAndTheWindowStaysOpen() {
        TempDir dir;
        auto context = ContextIn(dir / "missing-directory");
        RecordingDialogs dialogs;
        TFpargen window(context, dialogs);
        QVERIFY(window.Reload());
        window.show();
        window.OkClick();
        QCOMPARE(dialogs.messages.size(), size_t{1});
        QCOMPARE(dialogs.messages[0].kind, MessageKind::Plain);
        QVERIFY(window.isVisible());
        QVERIFY(window.result() != QDialog::Accepted);
    }
};

}  // namespace kestrova

QTEST_MAIN(kestrova::CommunicationWindowTest)
#include "communication_window_test.moc"
