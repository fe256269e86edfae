#include "gui/app/main_window.h"

#include "core/project/file_system.h"
#include "core/project/settings_file.h"
#include "core/project/workspace.h"
#include "gui/app/application_windows.h"
#include "gui/project/new_project_dialog.h"
#include "support/modal.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

#include <QLineEdit>
#include <filesystem>
#include <QPushButton>
#include <QtTest>

using namespace kestrova;
using kestrova::testing::RecordingDialogs;
using kestrova::testing::TempDir;
using kestrova::testing::WhenModalShown;

namespace {

QString Title(const std::string& name) { return QString::fromStdString(ProjectTitle(name)); }

std::string Remembered(const TempDir& exe) {
    return ReadSettingsString(exe / kSettingsFileName, "lastproj", "projectname");
}

void Remember(const TempDir& exe, const std::string& name) {
    WriteSettingsString(exe / kSettingsFileName, "lastproj", "projectname", name);
}

// Types a name into the New-project dialog and presses OK, or presses Cancel for an empty name.
void AnswerNewProject(const QString& name) {
    WhenModalShown([name](QWidget* dialog) {
        if (name.isEmpty()) {
            dialog->findChild<QPushButton*>("cancelButton")->click();
            return;
        }
        QTest::keyClicks(dialog->findChild<QLineEdit*>("nameEdit"), name);
        dialog->findChild<QPushButton*>("okButton")->click();
    });
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartWorksDirectlyInProjects() {
        TempDir exe;
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        TFKestrovaFirmWare& main = *windows.main;
        QCOMPARE(main.windowTitle(), QString(kInitialTitle));
        QVERIFY(DirectoryExists(exe / "MASTER"));
        QCOMPARE(main.Context().projectDirectory, exe / "PROJECTS");
        QCOMPARE(main.Context().documents.pargen, exe / "PROJECTS/pargen.xml");
        QCOMPARE(main.size(), QSize(565, 353));
        QCOMPARE(main.minimumSize(), main.maximumSize());
    }

    void everyButtonIsInPlace() {
        TempDir exe;
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        windows.main->show();
        const std::pair<const char*, const char*> shown[] = {
            {"New", "New project"},        {"open", "Open project"},       {"btn_Prm_Gen", "Set Communication"},
            {"btn_Sdo", "Receive Frames"}, {"Btn_SetPDO", "Send Frames"}, {"btn_Pdo", "Send Timer"},
            {"btn_Gsd", "GSD File"},       {"CreateBin", "Update Device"}, {"LbButton1", "X"}};
        for (const auto& [name, text] : shown) {
            auto* button = windows.main->findChild<QPushButton*>(name);
            QVERIFY2(button, name);
            QCOMPARE(button->text(), QString(text));
            QVERIFY2(button->isVisible(), name);
        }
        QVERIFY(windows.main->findChild<QPushButton*>("about")->isVisible());
        for (const char* name : {"btn_RecInfo", "btn_SenInfo", "btn_Emcy_Wd", "btn_Emcy", "btn_Info_Pdo", "CreateSx"}) {
            auto* button = windows.main->findChild<QPushButton*>(name);
            QVERIFY2(button && !button->isVisible(), name);
        }

        // Tab goes through the steps in order: the Step 7 link follows "Update Device"; "Project
        // Overview" comes after the steps.
        QStringList order;
        for (QWidget* widget = windows.main->nextInFocusChain(); widget != windows.main.get();
             widget = widget->nextInFocusChain())
            if (widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus)) order << widget->objectName();
        QCOMPARE(order, QStringList({"about", "LbButton1", "New", "open", "btn_Prm_Gen", "btn_Sdo", "Btn_SetPDO",
                                     "btn_Pdo", "btn_Gsd", "CreateBin", "Label1", "btn_Overview"}));
    }

    void reopensTheRememberedProjectWithOrWithoutSeparator() {
        for (const std::string remembered : {"Demo", "/Demo"}) {
            TempDir exe;
            CreateDirectories(exe / "PROJECTS/Demo");
            Remember(exe, remembered);
            RecordingDialogs dialogs;
            {
                ApplicationWindows windows(exe.path(), dialogs);
                QCOMPARE(windows.main->windowTitle(), Title("/Demo"));
                QCOMPARE(windows.main->Context().documents.sendFrame, exe / "PROJECTS/Demo/Send_Frame.xml");
                windows.main->close();
            }
            QCOMPARE(Remembered(exe), std::string("/Demo"));
        }
    }

    void vanishedProjectKeepsTheInitialTitleAndItsName() {
        TempDir exe;
        Remember(exe, "/Gone");
        RecordingDialogs dialogs;
        {
            ApplicationWindows windows(exe.path(), dialogs);
            QCOMPARE(windows.main->windowTitle(), QString(kInitialTitle));
            QCOMPARE(windows.main->Context().projectDirectory, exe / "PROJECTS");
            windows.main->close();
        }
        QCOMPARE(Remembered(exe), std::string("/Gone"));
    }

    void newProjectThenRestartAddsTheSeparator() {
        TempDir exe;
        RecordingDialogs dialogs;
        {
            ApplicationWindows windows(exe.path(), dialogs);
            AnswerNewProject("Demo");
            windows.main->NewaClick();
            QCOMPARE(windows.main->windowTitle(), Title("Demo"));
            QVERIFY(DirectoryExists(exe / "PROJECTS/Demo/bin"));
            windows.main->close();
        }
        QCOMPARE(Remembered(exe), std::string("Demo"));
        ApplicationWindows again(exe.path(), dialogs);
        QCOMPARE(again.main->windowTitle(), Title("/Demo"));
    }

    void newProjectCancelledKeepsTheProjectButNotItsTitle() {
        TempDir exe;
        CreateDirectories(exe / "PROJECTS/Demo");
        Remember(exe, "Demo");
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        int opened = 0;
        windows.main->Bind(MainCommand::Communication, [&] { ++opened; });
        AnswerNewProject("");
        windows.main->NewaClick();
        QCOMPARE(windows.main->windowTitle(), Title(""));
        QCOMPARE(windows.main->Context().projectDirectory, exe / "PROJECTS/Demo");
        windows.main->findChild<QPushButton*>("btn_Prm_Gen")->click();
        QCOMPARE(opened, 1);
        QVERIFY(dialogs.messages.empty());
    }

    void openProjectCancelledRebuildsTheTitleFromTheDirectory() {
        TempDir exe;
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        AnswerNewProject("Demo");
        windows.main->NewaClick();
        windows.main->findChild<QPushButton*>("open")->click();  // the fake answers "cancel"
        QCOMPARE(windows.main->windowTitle(), Title("/Demo"));
        QCOMPARE(windows.main->Context().projectDirectory, exe / "PROJECTS/Demo");
    }

    void openProjectsItselfOrANestedFolder() {
        TempDir exe;
        CreateDirectories(exe / "PROJECTS/A/B");
        RecordingDialogs dialogs;
        {
            ApplicationWindows windows(exe.path(), dialogs);
            dialogs.folderAnswers = {exe / "PROJECTS"};
            windows.main->OpenaClick();
            QCOMPARE(windows.main->windowTitle(), Title(""));
            QCOMPARE(windows.main->Context().documents.pargen, exe / "PROJECTS/pargen.xml");
            dialogs.folderAnswers = {exe / "PROJECTS/A/B"};
            windows.main->OpenaClick();
            QCOMPARE(windows.main->windowTitle(), Title("/A/B"));
            windows.main->close();
        }
        QCOMPARE(Remembered(exe), std::string("/A/B"));
        ApplicationWindows again(exe.path(), dialogs);
        QCOMPARE(again.main->Context().projectDirectory, exe / "PROJECTS/A/B");
    }

    void noProjectStopsEveryStep() {
        TempDir exe;
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        int opened = 0;
        windows.main->Bind(MainCommand::SendTimer, [&] { ++opened; });
        // a cancelled Open while the project folder has vanished leaves no project at all
        windows.main->Context().projectDirectory = exe / "PROJECTS/Gone";
        windows.main->OpenaClick();
        QCOMPARE(windows.main->Context().projectDirectory, std::string());

        // the editors and "GSD File" stop in the step dispatch; "Update Device" (and the hidden
        // "Generate Firmware") have no such check and stop in their own command
        for (const char* button : {"btn_Pdo", "btn_RecInfo", "btn_SenInfo", "btn_Gsd", "CreateBin", "CreateSx"})
            windows.main->findChild<QPushButton*>(button)->click();
        QCOMPARE(dialogs.Texts(), std::vector<std::string>(6, "Project not valid"));
        QCOMPARE(dialogs.messages[0].kind, MessageKind::Plain);
        QCOMPARE(opened, 0);
        QVERIFY(dialogs.saveRequests.empty());
        QVERIFY(!DirectoryExists(exe / "bin"));
    }

    void outputCommandsRunOnTheOpenedProject() {
        TempDir exe;
        const std::string project = exe / "PROJECTS/Worked";
        CreateDirectories(project);
        std::filesystem::copy(KESTROVA_TEST_DATA "/outputs/worked_example", project,
                              std::filesystem::copy_options::recursive);
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        dialogs.folderAnswers = {project};
        windows.main->OpenaClick();

        dialogs.saveAnswers = {exe / "station.gsd"};
        windows.main->findChild<QPushButton*>("btn_Gsd")->click();
        QCOMPARE(dialogs.saveRequests.at(0).initialDirectory, project);
        QVERIFY(testing::ReadText(exe / "station.gsd").rfind(";", 0) == 0);

        bool dialogShown = false;
        WhenModalShown([&](QWidget* shown) {
            dialogShown = shown->objectName() == "TFBootSer";
            shown->close();
        });
        windows.main->findChild<QPushButton*>("CreateBin")->click();
        QVERIFY(dialogShown);
        QCOMPARE(testing::ReadText(project + "/bin/bank.bin"),
                 testing::ReadText(KESTROVA_TEST_DATA "/outputs/worked_example.bin"));
        QVERIFY(dialogs.messages.empty());
    }

    void hiddenInfoButtonAndTheWindowOptionOpenTheMappingWindows() {
        TempDir exe;
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        QStringList shown;
        const auto closeWhenShown = [&] {
            WhenModalShown([&](QWidget* window) {
                shown << window->objectName();
                window->close();
            });
        };
        closeWhenShown();
        windows.main->findChild<QPushButton*>("btn_RecInfo")->click();
        closeWhenShown();
        QVERIFY(windows.Open("TF_Sen_Info"));
        QCOMPARE(shown, QStringList({"TF_Rec_Info", "TF_Sen_Info"}));
    }

    void startOptions() {
        const struct {
            std::vector<std::string> arguments;
            bool help;
            std::string window, problem;
        } cases[] = {
            {{"--help"}, true, "", ""},
            {{"--window", "TF_Rec_Info"}, false, "TF_Rec_Info", ""},
            {{"--window=TF_Sen_Info"}, false, "TF_Sen_Info", ""},
            {{"--window"}, false, "", "option '--window' needs a window class name"},
            {{"TFpdo"}, false, "", "unknown argument 'TFpdo'"},
        };
        for (const auto& c : cases) {
            const StartOptions options = ParseStartOptions(c.arguments);
            QVERIFY2(options.help == c.help && options.window == c.window && options.problem == c.problem,
                     c.arguments[0].c_str());
        }
    }

    void failureOfACommandIsShownWithItsText() {
        TempDir exe;
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        windows.main->Bind(MainCommand::GsdFile, [] { throw Error("disk full"); });
        windows.main->findChild<QPushButton*>("btn_Gsd")->click();
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"disk full"});
    }

    void unwritableSettingsFileIsReportedAtClose() {
        TempDir exe;
        RecordingDialogs dialogs;
        ApplicationWindows windows(exe.path(), dialogs);
        CreateDirectories(exe / kSettingsFileName);  // a folder where the file should be
        windows.main->show();
        windows.main->close();
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Unable to write to " + (exe / kSettingsFileName)});
        QVERIFY(!windows.main->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
