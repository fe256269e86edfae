#include "gui/device/firmware_composer_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

using namespace kestrova;
using kestrova::testing::ReadText;
using kestrova::testing::RecordingDialogs;
using kestrova::testing::WriteText;

class FirmwareComposerWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<kestrova::testing::TempDir> dir;
    ProjectContext context;
    RecordingDialogs dialogs;
    std::unique_ptr<TFModifyFileSx> window;
    std::vector<std::string> started;

    QPushButton* Button(const QString& text, bool visible = true) {
        for (auto* button : window->findChildren<QPushButton*>())
            if (button->text() == text && button->isVisibleTo(window.get()) == visible) return button;
        return nullptr;
    }
    QCheckBox* Bank(int bank) { return window->findChildren<QCheckBox*>().at(bank - 1); }
    void Base(const std::string& text) { WriteText(context.masterDirectory + "/sx51904.sx", text); }

private slots:
    void init() {
        dir = std::make_unique<kestrova::testing::TempDir>();
        context = MakeProjectContext(dir->path());
        context.projectDirectory = context.projectsDirectory + "/P 1";
        std::filesystem::create_directories(context.projectDirectory + "/bin");
        std::filesystem::create_directories(context.masterDirectory);
        WriteText(context.projectDirectory + "/bin/bank1.bin", std::string(kBankSize, '\x01'));
        WriteText(context.projectDirectory + "/bin/bank2.bin", std::string(kBankSize, '\x02'));
        WriteText(dir->path() + "/FlashWrite", "");
        Base(S2RecordLine(0x388000, std::vector<std::uint8_t>(32).data()) + "S9030000FC\r\n");
        dialogs = RecordingDialogs();
        started.clear();
        window = std::make_unique<TFModifyFileSx>(context, dialogs);
        window->SetProgramStarter([this](const std::string& program, const std::string& parameters) {
            started.push_back(program + "|" + parameters);
            RunOutcome outcome;
            outcome.state = RunOutcome::State::StillRunning;
            return outcome;
        });
    }
    void cleanup() { window.reset(); }

    void showRules() {
        window->Reset();
        QCOMPARE(window->windowTitle(), QString("Generate Firmware"));
        auto* ports = window->findChild<QComboBox*>();
        QCOMPARE(ports->count(), 8);
        QCOMPARE(ports->itemText(7), QString("COM8"));
        QCOMPARE(ports->currentIndex(), 0);
        QVERIFY(Button("Execute update firmware")->isEnabled());
        QVERIFY(Button("X"));
        for (const char* hidden : {"Open Firmware", "Options >>", "Execute Modify File Sx", "Execute update firmware"})
            QVERIFY2(Button(hidden, false), hidden);
        for (int bank = 1; bank <= 5; ++bank) QCOMPARE(!Bank(bank)->isHidden() && Bank(bank)->isChecked(), bank <= 2);
        Button("Options >>", false)->click();
        QVERIFY(Button("<< Options", false));
        QCOMPARE(dialogs.messages.size(), size_t(0));

        std::filesystem::remove(context.masterDirectory + "/sx51904.sx");
        window->Reset();
        std::filesystem::remove(context.masterDirectory);
        window->Reset();
        QCOMPARE(dialogs.Texts(), (std::vector<std::string>{kFirmwareFileNotFound, kFirmwareDirectoryNotFound}));
        QCOMPARE(dialogs.messages.back().kind, MessageKind::Error);
        QVERIFY(!Button("Execute update firmware")->isEnabled());
        QCOMPARE(Button("Options >>", false)->text(), QString("Options >>"));
    }

    // "Directory File Bin" sets the bank directory; a show replaces it only with an existing project bin.
    void directoryFileBin() {
        window->Reset();
        const std::string chosen = dir->path() + "/other bin";
        std::filesystem::create_directories(chosen);
        dialogs.folderAnswers.push_back(chosen);
        Button("Directory File Bin", false)->click();
        QCOMPARE(dialogs.folderRequests.at(0).caption, std::string("Select Directory Bin"));
        QCOMPARE(dialogs.folderRequests.at(0).root, context.projectDirectory);
        QCOMPARE(window->CurrentSettings().bankDirectory, chosen + "/");
        std::filesystem::remove_all(context.projectDirectory + "/bin");
        window->Reset();
        QCOMPARE(window->CurrentSettings().bankDirectory, chosen + "/");
        std::filesystem::create_directories(context.projectDirectory + "/bin");
        window->Reset();
        QCOMPARE(window->CurrentSettings().bankDirectory, context.projectDirectory + "/bin/");
    }

    // The window writes what the composer writes for its defaults, then starts the programmer.
    void executeComposesAndFlashes() {
        window->Reset();
        window->findChild<QComboBox*>()->setCurrentIndex(2);
        Button("Execute update firmware")->click();
        const std::string project = context.projectDirectory + "/";
        QCOMPARE(started, std::vector<std::string>{dir->path() + "/FlashWrite|\"" + project +
                                                   "New_sx51904.sx\"\xB6"
                                                   "2"});
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{});
        QCOMPARE(Bank(2)->palette().color(QPalette::Window), QColor(0xFF, 0, 0));  // no record in bank 2's range
        auto* progress = window->findChild<QProgressBar*>();
        QCOMPARE(progress->value(), progress->maximum());
        QCOMPARE(progress->maximum(), 512 + 513);  // bank 2 reads what bank 1 wrote

        ComposerSettings settings = DefaultComposerSettings(context);
        settings.newFileName = "core.sx";
        ComposeFirmware(settings, dialogs);
        QCOMPARE(ReadText(project + "New_sx51904.sx"), ReadText(project + "core.sx"));

        Base(S2RecordLine(0x388000, std::vector<std::uint8_t>(32).data()));  // no S9: nothing flashed
        started.clear();
        dialogs = RecordingDialogs();
        Button("Execute update firmware")->click();
        QVERIFY(started.empty());
        QCOMPARE(dialogs.Texts(), (std::vector<std::string>{kNoS9Record, kNewFirmwareNotGenerated}));
        QCOMPARE(Bank(2)->palette().color(QPalette::Window), QColor(0xF8, 0xF7, 0xED));
    }

    // The window shows the composer's refusals and leaves the user's files as they were.
    void refusalsLeaveTheUsersFiles() {
        window->Reset();
        const std::string project = context.projectDirectory + "/";
        const std::string document = "<Par_Gen><Can_Baud>3</Can_Baud></Par_Gen>";
        WriteText(project + "pargen.xml", document);
        WriteText(project + StageFileName(3), "mine");
        auto* name = window->findChild<QLineEdit*>();
        const struct {
            const char* newName;
            std::string message;
        } cases[] = {
            {"pargen.xml", NewFileIsDocument("pargen.xml")},
            {"New_sx51904.sx", StageFileExists(project + StageFileName(3))},
        };
        for (const auto& c : cases) {
            name->selectAll();
            QTest::keyClicks(name, c.newName);
            dialogs = RecordingDialogs();
            Button("Execute update firmware")->click();
            QCOMPARE(dialogs.Texts(), (std::vector<std::string>{c.message, kNewFirmwareNotGenerated}));
            QVERIFY(started.empty());
            QCOMPARE(ReadText(project + "pargen.xml"), document);
            QCOMPARE(ReadText(project + StageFileName(3)), std::string("mine"));
            QVERIFY(!std::filesystem::exists(project + "New_sx51904.sx"));
        }
    }
};

QTEST_MAIN(FirmwareComposerWindowTest)
#include "firmware_composer_window_test.moc"
