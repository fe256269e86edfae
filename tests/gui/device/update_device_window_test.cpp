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

// The child of the given kind that shows this text.
template <typename Widget>
Widget* Find(QWidget& window, const QString& text) {
    for (auto* widget : window.findChildren<Widget*>())
        if (widget->text() == text) return widget;
    return nullptr;
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
    QCheckBox* Check(const QString& text) { return Find<QCheckBox>(*window, text); }
    void Click(const QString& text) { Find<QPushButton>(*window, text)->click(); }
    // Connects to the port at `index`, goes to the options page, clears the named boxes and executes.
    void Execute(int index, std::initializer_list<const char*> cleared) {
        PortList()->setCurrentIndex(index);
        Click("Connect");
        Click("Next");
        for (const char* text : cleared) Check(text)->setChecked(false);
        Click("Execute update firmware");
    }
    std::string Paths() {
        return " \"" + dir->path() + "/MASTER/sim48120.sim\" \"" + dir->path() + "/PROJECTS/P 1/bin/\"";
    }

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
        for (const char* text :
             {"Follow these steps to update the GX48120 from RS232:", "1 - Turn OFF the Device",
              "2 - Insert the Boot Jumper (see the manual)", "3 - Select the  COM port and press the connect button",
              "4 - Turn ON the Device", "5 - Check the BOOT led. It must blink quickly", "Update Device Options"})
            QVERIFY2(Find<QLabel>(*window, text), text);
        QCOMPARE(window->findChild<QToolButton*>("RefreshPorts")->toolTip(), QString("Update COM Port List"));
        QVERIFY(!PortList()->isEditable());
        QCOMPARE(PortList()->count(), 2);
        QCOMPARE(PortList()->currentText(), QString("ttyS0"));
        QCOMPARE(Page(), 0);
        for (const char* text :
             {"Firmware", "Read Firmware when finish", "Project", "Read Project when finish", "Parameter", "List PGN"})
            QVERIFY2(Check(text) && Check(text)->isChecked(), text);
        QVERIFY(!Check("Parameter")->isVisibleTo(window.get()));
        QVERIFY(!Check("List PGN")->isVisibleTo(window.get()));
    }

    void refreshAndEmptyList() {
        ports = {"ttyACM0"};
        window->findChild<QToolButton*>("RefreshPorts")->click();
        QCOMPARE(PortList()->count(), 1);
        ports.clear();
        window->Reset();
        QCOMPARE(PortList()->currentIndex(), -1);
        Click("Connect");
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Error!! Com Port cannot be open."});
        QCOMPARE(dialogs.messages[0].kind, MessageKind::Error);
    }

    void nextBeforeConnectThenConnectTwice() {
        Click("Next");
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Select one port."});
        QCOMPARE(dialogs.messages[0].kind, MessageKind::Error);
        QCOMPARE(Page(), 0);
        PortList()->setCurrentIndex(1);
        Click("Connect");
        Click("Connect");
        QCOMPARE(dialogs.messages.size(), size_t(1));
        QCOMPARE(comm->opens, 2);
        QCOMPARE(comm->DeviceName(), std::string("/dev/ttyUSB1"));
        QCOMPARE(comm->line->escapes.back(), EscapeCode::SETDTR);
        Click("Next");
        QCOMPARE(dialogs.messages.size(), size_t(1));
        QCOMPARE(Page(), 1);
        QVERIFY(!comm->IsOpen());
        window->Reset();  // shown again: instruction page, not connected
        QCOMPARE(Page(), 0);
        Click("Next");
        QCOMPARE(dialogs.Texts().back(), std::string("Select one port."));
    }

    void closingClosesThePort() {
        Click("Connect");
        QVERIFY(comm->IsOpen());
        Click("Cancel");
        QVERIFY(!comm->IsOpen());
        window->show();
        Click("Connect");
        QVERIFY(comm->IsOpen());
        window->close();  // the close box
        QVERIFY(!comm->IsOpen());
    }

    void lineEventsAreDispatchedOnTheWindowThread() {
        bool ctsSeen = false;
        comm->OnCts = [&](TCustomComm&) { ctsSeen = QThread::currentThread() == qApp->thread(); };
        Click("Connect");
        comm->line->Push(EV_CTS);
        QTRY_VERIFY_WITH_TIMEOUT(ctsSeen, 30000);
    }

    void parameterTextOfTheExample() {
        Execute(1, {"Project"});
        QCOMPARE(runs.size(), size_t(1));
        QCOMPARE(runs[0].program, dir->path() + "/Ser_48120_Update");
        QCOMPARE(runs[0].parameters, "/dev/ttyUSB1 FW FR NO PR" + Paths());
        QCOMPARE(runs[0].hide, false);
        QVERIFY(dialogs.messages.empty());  // exit 0: nothing to say
        QCOMPARE(Page(), 1);                // and the options page stays
    }

    void parameterTextWithAllOptionsClear() {
        Execute(0, {"Firmware", "Read Firmware when finish", "Project", "Read Project when finish"});
        QCOMPARE(runs.back().parameters, "/dev/ttyS0 NO NO NO NO" + Paths());
    }

    void unstartableUpdaterIsReported() {
        answer.state = RunOutcome::State::NotStarted;
        answer.error = ENOENT;
        Click("Execute update firmware");
        QCOMPARE(dialogs.Texts(),
                 std::vector<std::string>{"The updater \"" + dir->path() +
                                          "/Ser_48120_Update\" cannot be started: No such file or directory"});
    }

    // The real runner on an updater that outlives a short limit: it gets the parameter text as its
    // arguments, the progress box is shown modally meanwhile, then "still running" is said.
    void realUpdaterRunWithProgressBox() {
        window->SetUpdaterRunner(nullptr);
        window->SetUpdaterTimeLimit(std::chrono::milliseconds(2000));
        const std::string program = dir->path() + "/Ser_48120_Update";
        kestrova::testing::WriteText(program,
                                     "#!/bin/sh\ncd \"$(dirname \"$0\")\"\necho $$ > pid.txt\n"
                                     "for a in \"$@\"; do printf '%s|\\n' \"$a\"; done > args.txt\nexec sleep 60\n");
        ::chmod(program.c_str(), 0755);
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
        Execute(0, {});
        probe.stop();
        const pid_t pid = std::atoi(kestrova::testing::ReadText(dir->path() + "/pid.txt").c_str());
        QVERIFY(pid > 0);
        ::kill(pid, SIGKILL);
        QCOMPARE(kestrova::testing::ReadText(dir->path() + "/args.txt"), "/dev/ttyS0|\nFW|\nFR|\nPW|\nPR|\n" +
                                                                             dir->path() + "/MASTER/sim48120.sim|\n" +
                                                                             dir->path() + "/PROJECTS/P 1/bin/|\n");
        QVERIFY(modal);
        QVERIFY2(seen.startsWith("The updater is running: ") && seen.endsWith(" s of at most 2 s."), qPrintable(seen));
        QCOMPARE(
            dialogs.Texts(),
            std::vector<std::string>{"The updater is still running after 2 seconds; the tool no longer waits for it."});
        QCOMPARE(dialogs.messages.back().kind, MessageKind::Warning);
    }
};

QTEST_MAIN(UpdateDeviceWindowTest)
#include "update_device_window_test.moc"
