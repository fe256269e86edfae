#include "gui/device/update_device_window.h"

#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <csignal>
#include <cstdlib>

#include "core/device/fake_comm_device.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

using namespace kestrova;
using kestrova::testing::FakeComm;
using kestrova::testing::RecordingDialogs;

namespace {

struct Run {
    std::string program, parameters;
    bool hide;
};

QPushButton* Button(QWidget& window, const QString& text) {
    for (auto* button : window.findChildren<QPushButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

QCheckBox* Check(QWidget& window, const QString& text) {
    for (auto* box : window.findChildren<QCheckBox*>())
        if (box->text() == text) return box;
    return nullptr;
}

bool HasLabel(QWidget& window, const QString& text) {
    for (auto* label : window.findChildren<QLabel*>())
        if (label->text() == text) return true;
    return false;
}

}  // namespace

class UpdateDeviceWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<kestrova::testing::TempDir> dir;
    ProjectContext context;
    RecordingDialogs dialogs;
    std::unique_ptr<TFBootSer> window;
    FakeComm* comm = nullptr;
    std::vector<std::string> ports;
    std::vector<Run> runs;
    RunOutcome answer;

    QComboBox* PortList() { return window->findChild<QComboBox*>("ComPortList"); }
    int Page() { return window->findChild<QStackedWidget*>()->currentIndex(); }

private slots:
    void init() {
        dir = std::make_unique<kestrova::testing::TempDir>();
        context = MakeProjectContext(dir->path());
        context.projectDirectory = context.projectsDirectory + "/P 1";
        dialogs = RecordingDialogs();
        ports = {"ttyS0", "ttyUSB1"};
        runs.clear();
        answer = RunOutcome();
        answer.state = RunOutcome::State::Exited;
        window = std::make_unique<TFBootSer>(context, dialogs);
        window->SetPortLister([this] { return ports; });
        auto fake = std::make_unique<FakeComm>();
        comm = fake.get();
        window->SetComm(std::move(fake));
        window->SetUpdaterRunner([this](const std::string& program, const std::string& parameters, bool hide) {
            runs.push_back({program, parameters, hide});
            return answer;
        });
        window->Reset();
    }
    void cleanup() { window.reset(); }

    void instructionPageTexts() {
        QCOMPARE(window->windowTitle(), QString("Update Firmware from Serial (RS232)"));
        QVERIFY(HasLabel(*window, "Follow these steps to update the GX48120 from RS232:"));
        QVERIFY(HasLabel(*window, "1 - Turn OFF the Device"));
        QVERIFY(HasLabel(*window, "2 - Insert the Boot Jumper (see the manual)"));
        QVERIFY(HasLabel(*window, "3 - Select the  COM port and press the connect button"));
        QVERIFY(HasLabel(*window, "4 - Turn ON the Device"));
        QVERIFY(HasLabel(*window, "5 - Check the BOOT led. It must blink quickly"));
        QVERIFY(HasLabel(*window, "Update Device Options"));
        QCOMPARE(window->findChild<QToolButton*>("RefreshPorts")->toolTip(), QString("Update COM Port List"));
        QVERIFY(!PortList()->isEditable());
        QCOMPARE(PortList()->count(), 2);
        QCOMPARE(PortList()->currentText(), QString("ttyS0"));
        QCOMPARE(Page(), 0);
        for (const char* text :
             {"Firmware", "Read Firmware when finish", "Project", "Read Project when finish", "Parameter", "List PGN"})
            QVERIFY2(Check(*window, text) && Check(*window, text)->isChecked(), text);
        QVERIFY(!Check(*window, "Parameter")->isVisibleTo(window.get()));
        QVERIFY(!Check(*window, "List PGN")->isVisibleTo(window.get()));
    }

    void refreshAndEmptyList() {
        ports = {"ttyACM0"};
        window->findChild<QToolButton*>("RefreshPorts")->click();
        QCOMPARE(PortList()->count(), 1);
        ports.clear();
        window->Reset();
        QCOMPARE(PortList()->count(), 0);
        QCOMPARE(PortList()->currentIndex(), -1);
        Button(*window, "Connect")->click();
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Error!! Com Port cannot be open."});
        QCOMPARE(dialogs.messages[0].kind, MessageKind::Error);
    }

    void nextBeforeConnect() {
        Button(*window, "Next")->click();
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Select one port."});
        QCOMPARE(dialogs.messages[0].kind, MessageKind::Error);
        QCOMPARE(Page(), 0);
    }

    void connectTwiceThenNext() {
        PortList()->setCurrentIndex(1);
        Button(*window, "Connect")->click();
        Button(*window, "Connect")->click();
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(comm->opens, 2);
        QVERIFY(comm->IsOpen());
        QCOMPARE(comm->DeviceName(), std::string("/dev/ttyUSB1"));
        QCOMPARE(comm->line->escapes.back(), EscapeCode::SETDTR);
        Button(*window, "Next")->click();
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(Page(), 1);
        QVERIFY(!comm->IsOpen());

        window->Reset();  // shown again: instruction page, not connected
        QCOMPARE(Page(), 0);
        Button(*window, "Next")->click();
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Select one port."});
    }

    void failedConnect() {
        comm->failOpenWith = EBUSY;
        Button(*window, "Connect")->click();
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Error!! Com Port cannot be open."});
        Button(*window, "Next")->click();
        QCOMPARE(dialogs.Texts().back(), std::string("Select one port."));
    }

    void closingClosesThePort() {
        Button(*window, "Connect")->click();
        QVERIFY(comm->IsOpen());
        Button(*window, "Cancel")->click();
        QVERIFY(!comm->IsOpen());
        window->show();
        Button(*window, "Connect")->click();
        QVERIFY(comm->IsOpen());
        window->close();  // the close box
        QVERIFY(!comm->IsOpen());
    }

    void lineEventsAreDispatchedOnTheWindowThread() {
        bool ctsSeen = false;
        comm->OnCts = [&](TCustomComm&) { ctsSeen = QThread::currentThread() == qApp->thread(); };
        Button(*window, "Connect")->click();
        comm->line->Push(EV_CTS);
        QTRY_VERIFY_WITH_TIMEOUT(ctsSeen, 30000);
    }

    void parameterTextOfTheExample() {
        PortList()->setCurrentIndex(1);
        Button(*window, "Connect")->click();
        Button(*window, "Next")->click();
        Check(*window, "Project")->setChecked(false);
        Button(*window, "Execute update firmware")->click();
        QCOMPARE(runs.size(), size_t(1));
        QCOMPARE(runs[0].program, dir->path() + "/Ser_48120_Update");
        QCOMPARE(runs[0].parameters, "/dev/ttyUSB1 FW FR NO PR \"" + dir->path() + "/MASTER/sim48120.sim\" \"" +
                                         dir->path() + "/PROJECTS/P 1/bin/\"");
        QCOMPARE(runs[0].hide, false);
        QVERIFY(dialogs.messages.empty());  // exit 0: nothing to say
        QCOMPARE(Page(), 1);                // and the options page stays
    }

    void parameterTextWithAllOptionsClear() {
        Button(*window, "Connect")->click();
        Button(*window, "Next")->click();
        for (const char* text : {"Firmware", "Read Firmware when finish", "Project", "Read Project when finish"})
            Check(*window, text)->setChecked(false);
        Button(*window, "Execute update firmware")->click();
        QCOMPARE(runs.back().parameters, "/dev/ttyS0 NO NO NO NO \"" + dir->path() + "/MASTER/sim48120.sim\" \"" +
                                             dir->path() + "/PROJECTS/P 1/bin/\"");
    }

    void outcomesAreReported() {
        answer.state = RunOutcome::State::NotStarted;
        answer.error = ENOENT;
        Button(*window, "Execute update firmware")->click();
        QCOMPARE(dialogs.Texts().back(),
                 "The updater \"" + dir->path() + "/Ser_48120_Update\" cannot be started: No such file or directory");
        answer.state = RunOutcome::State::Exited;
        answer.code = 4;
        Button(*window, "Execute update firmware")->click();
        QCOMPARE(dialogs.Texts().back(), std::string("The updater ended with exit code 4."));
    }

    // The real run: the stand-in updater beside the "executable", the progress box while it runs.
    void realUpdaterRunWithProgressBox() {
        window->SetUpdaterRunner(nullptr);
        const std::string program = dir->path() + "/Ser_48120_Update";
        kestrova::testing::WriteText(program,
                                     kestrova::testing::ReadText(KESTROVA_TEST_DATA "/device/Ser_48120_Update"));
        ::chmod(program.c_str(), 0755);
        Button(*window, "Connect")->click();
        Button(*window, "Next")->click();
        Button(*window, "Execute update firmware")->click();
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(kestrova::testing::ReadText(dir->path() + "/Ser_48120_Update.args"),
                 "/dev/ttyS0|\nFW|\nFR|\nPW|\nPR|\n" + dir->path() + "/MASTER/sim48120.sim|\n" + dir->path() +
                     "/PROJECTS/P 1/bin/|\n");

        // One that outlives a short limit: the box is shown modally meanwhile, then "still running".
        kestrova::testing::WriteText(program, "#!/bin/sh\necho $$ > \"$(dirname \"$0\")/pid.txt\"\nexec sleep 60\n");
        window->SetUpdaterTimeLimit(std::chrono::milliseconds(2000));
        QString seen;
        bool modal = false;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            if (auto* box = QApplication::activeModalWidget(); box && box->objectName() == "UpdaterProgressBox") {
                modal = box->isModal();
                seen = box->findChild<QLabel*>("UpdaterProgressText")->text();
            }
        });
        probe.start(5);
        Button(*window, "Execute update firmware")->click();
        probe.stop();
        QVERIFY(modal);
        QVERIFY2(seen.startsWith("The updater is running: ") && seen.endsWith(" s of at most 2 s."), qPrintable(seen));
        QCOMPARE(dialogs.Texts().back(),
                 std::string("The updater is still running after 2 seconds; the tool no longer waits for it."));
        QCOMPARE(dialogs.messages.back().kind, MessageKind::Warning);
        const pid_t pid = std::atoi(kestrova::testing::ReadText(dir->path() + "/pid.txt").c_str());
        QVERIFY(pid > 0);
        ::kill(pid, SIGKILL);
    }
};

QTEST_MAIN(UpdateDeviceWindowTest)
#include "update_device_window_test.moc"
