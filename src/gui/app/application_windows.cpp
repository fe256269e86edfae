#include "gui/app/application_windows.h"

#include "core/outputs/output_commands.h"
#include "core/project/file_system.h"
#include "core/project/workspace_location.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_dialogs.h"
#include "gui/device/firmware_composer_window.h"
#include "gui/canopen/emcy_translation_window.h"
#include "gui/canopen/emcy_word_window.h"
#include "gui/canopen/sdo_access_window.h"
#include "gui/canopen/stored_pdo_window.h"
#include "gui/device/update_device_window.h"
#include "gui/editors/communication_window.h"
#include "gui/editors/receive_frames_window.h"
#include "gui/editors/receive_info_window.h"
#include "gui/editors/send_frames_window.h"
#include "gui/editors/send_info_window.h"
#include "gui/editors/send_timers_window.h"
#include "gui/project/new_project_dialog.h"
#include "gui/replay/replay_trace_window.h"
#include "gui/report/overview_window.h"
#include "gui/tools/about_window.h"
#include "gui/tools/help_window.h"
#include "gui/tools/select_string_window.h"
#include "gui/tools/xml_reader_writer_window.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <optional>

namespace kestrova {
namespace {

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ApplicationWindows::ApplicationWindows(const std::string& executableDirectory, Dialogs& dialogs,
                                       const std::string& workspaceDirectory)
    : main(std::make_unique<TFKestrovaFirmWare>(executableDirectory, dialogs, nullptr, workspaceDirectory)) {
    ProjectContext& context = main->Context();
    QWidget* owner = main.get();

    saveproj = new TFsaveproj(context, dialogs, owner);
    help = new TFHelp(context, dialogs, owner);
    about = new TFAbout(owner);
    selString = new TFSELstringhe(dialogs, owner);
    modifyFileSx = new TFModifyFileSx(context, dialogs, owner);
    pargen = new TFpargen(context, dialogs, owner);
    sdo = new TFsdo(context, dialogs, owner);
    pdo = new TFpdo(context, dialogs, owner);
    emcy = new TFemcy(context, dialogs, owner);
    wemcy = new TFWemcy(context, dialogs, owner);
    xml = new TFXML(context, dialogs, *saveproj, owner);
    infopdo = new TFInfopdo(context, dialogs, owner);
    setVar = new TFSetVar(context, dialogs, owner);
    setPdo = new TFSetPdo(context, dialogs, owner);
    recInfo = new TF_Rec_Info(context, dialogs, owner);
    senInfo = new TF_Sen_Info(context, dialogs, owner);
    bootSer = new TFBootSer(context, dialogs, owner);
    replay = new TFReplay(context, dialogs, owner);
    overview = new TFOverview(context, dialogs, owner);
    // A warning's double-click opens the editor of its document on its row.
    overview->SetRowOpener([this, &context](const std::string& document, int row) {
        const auto named = [&document](const std::string& path) { return FileNameOf(path) == document; };
        if (named(context.documents.receiveFrame)) return setVar->ShowModalAt(row);
        if (named(context.documents.sendFrame)) return setPdo->ShowModalAt(row);
        if (named(context.documents.receiveInfo)) return recInfo->ShowModalAt(row);
        if (named(context.documents.sendInfo)) return senInfo->ShowModalAt(row);
        if (named(context.documents.timerDef)) return pdo->ShowModalAt(row);
        return false;
    });

    main->SetNewProjectDialog(saveproj);
    main->Bind(MainCommand::Communication, [this] { pargen->ShowModal(); });
    main->Bind(MainCommand::ReceiveFrames, [this] { setVar->ShowModal(); });
    main->Bind(MainCommand::SendFrames, [this] { setPdo->ShowModal(); });
    main->Bind(MainCommand::SendTimer, [this] { pdo->ShowModal(); });
    main->Bind(MainCommand::InfoReceive, [this] { recInfo->ShowModal(); });
    main->Bind(MainCommand::InfoSend, [this] { senInfo->ShowModal(); });
    main->Bind(MainCommand::EmcyWord, [this] { wemcy->ShowModal(); });
    main->Bind(MainCommand::StorePdo, [this] { infopdo->ShowModal(); });
    main->Bind(MainCommand::TraslateEmcy, [this] { emcy->ShowModal(); });
    main->Bind(MainCommand::GsdFile, [&context, &dialogs] { RunGsdCommand(context, dialogs); });
    main->Bind(MainCommand::UpdateDevice, [this, &context, &dialogs] {
        if (PrepareDeviceUpdate(context, dialogs)) bootSer->ShowModal();
    });
    main->Bind(MainCommand::About, [this] { about->ShowModal(); });
    main->Bind(MainCommand::Overview, [this] { overview->ShowModal(); });

    openers["TFHelp"] = [this] { help->ShowModal(); };
    openers["TFAbout"] = [this] { about->ShowModal(); };
    openers["TFSELstringhe"] = [this] { selString->ShowModal(); };
    openers["TFModifyFileSx"] = [this] { modifyFileSx->ShowModal(); };
    openers["TFpargen"] = [this] { pargen->ShowModal(); };
    openers["TFsdo"] = [this] { sdo->ShowModal(); };
    openers["TFpdo"] = [this] { pdo->ShowModal(); };
    openers["TFemcy"] = [this] { emcy->ShowModal(); };
    openers["TFWemcy"] = [this] { wemcy->ShowModal(); };
    openers["TFXML"] = [this] { xml->ShowModal(); };
    openers["TFInfopdo"] = [this] { infopdo->ShowModal(); };
    openers["TFSetVar"] = [this] { setVar->ShowModal(); };
    openers["TFSetPdo"] = [this] { setPdo->ShowModal(); };
    openers["TF_Rec_Info"] = [this] { recInfo->ShowModal(); };
    openers["TF_Sen_Info"] = [this] { senInfo->ShowModal(); };
    openers["TFBootSer"] = [this] { bootSer->ShowModal(); };
    openers["TFReplay"] = [this] { replay->ShowModal(); };
    openers["TFOverview"] = [this] { overview->ShowModal(); };
}

bool ApplicationWindows::Open(const std::string& windowClass) const {
    const auto opener = openers.find(windowClass);
    if (opener == openers.end()) return false;
    opener->second();
    return true;
}

StartOptions ParseStartOptions(const std::vector<std::string>& arguments) {
    StartOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--window" && i + 1 < arguments.size()) {
            options.window = arguments[++i];
        } else if (argument.rfind("--window=", 0) == 0) {
            options.window = argument.substr(9);
        } else if (argument == "--window") {
            options.problem = "option '--window' needs a window class name";
        } else {
            options.problem = "unknown argument '" + argument + "'";
        }
    }
    return options;
}

std::string StartOptionsHelp() {
    return "usage: kestrova [--window CLASS] [--version]\n"
           "\n"
           "The desktop configuration tool of the Kestrova CQ48120 J1939 / PROFIBUS gateway.\n"
           "\n"
           "  --window CLASS  once the main window is up, also open the window of that class\n"
           "                  (for maintenance of windows no visible button opens), e.g. TF_Rec_Info\n"
           "  --version       the program's version\n"
           "  --help          this text\n";
}

ApplicationWindows::~ApplicationWindows() = default;

namespace {

// "--help" and "--version" answer before the toolkit starts, so they work without a display.
std::optional<int> AnswerWithoutDisplay(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const StartOptions options = ParseStartOptions(arguments);
    if (options.version) {
        std::printf("kestrova %s\n", KESTROVA_VERSION);
        return 0;
    }
    if (options.help) {
        std::fputs(StartOptionsHelp().c_str(), stdout);
        std::printf("\n%s\n", WorkspaceDescription(ChooseWorkspace(ExecutableDirectory())).c_str());
        return 0;
    }
    return std::nullopt;
}

}  // namespace

int RunKestrova(int argc, char** argv) {
    if (const auto status = AnswerWithoutDisplay(argc, argv)) return *status;
    QApplication application(argc, argv);  // takes Qt's own options out of the list
    const QStringList words = QApplication::arguments();
    std::vector<std::string> arguments;
    for (qsizetype i = 1; i < words.size(); ++i) arguments.push_back(words[i].toStdString());
    const StartOptions options = ParseStartOptions(arguments);
    if (!options.problem.empty()) {
        std::fprintf(stderr, "kestrova: %s\n", options.problem.c_str());
        std::fputs(StartOptionsHelp().c_str(), stderr);
        return 2;
    }

    QApplication::setApplicationName(kApplicationTitle);
    QtDialogs dialogs;
    const std::string executableDirectory = ExecutableDirectory();
    ApplicationWindows windows(executableDirectory, dialogs, ChooseWorkspace(executableDirectory).directory);
    if (!options.window.empty() && !windows.openers.count(options.window)) {
        std::string known;
        for (const auto& opener : windows.openers) known += " " + opener.first;
        std::fprintf(stderr, "kestrova: no window of class '%s'; known:%s\n", options.window.c_str(), known.c_str());
        return 2;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())  // centred on the screen
        windows.main->move(screen->availableGeometry().center() - windows.main->rect().center());
    windows.main->show();
    if (!options.window.empty())
        QTimer::singleShot(0, windows.main.get(), [&windows, &options] { windows.Open(options.window); });
    return application.exec();
}

}  // namespace kestrova
