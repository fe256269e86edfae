#include "gui/app/application_windows.h"

#include "core/outputs/output_commands.h"
#include "core/project/file_system.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_dialogs.h"
#include "gui/device/update_device_window.h"
#include "gui/editors/communication_window.h"
#include "gui/editors/receive_frames_window.h"
#include "gui/editors/send_frames_window.h"
#include "gui/editors/send_timers_window.h"
#include "gui/project/new_project_dialog.h"

#include <QApplication>
#include <QScreen>

namespace kestrova {

ApplicationWindows::ApplicationWindows(const std::string& executableDirectory, Dialogs& dialogs)
    : main(std::make_unique<TFKestrovaFirmWare>(executableDirectory, dialogs)) {
    ProjectContext& context = main->Context();
    QWidget* owner = main.get();

    saveproj = new TFsaveproj(context, dialogs, owner);
    pargen = new TFpargen(context, dialogs, owner);
    pdo = new TFpdo(context, dialogs, owner);
    setVar = new TFSetVar(context, dialogs, owner);
    setPdo = new TFSetPdo(context, dialogs, owner);
    bootSer = new TFBootSer(context, dialogs, owner);

    main->SetNewProjectDialog(saveproj);
    main->Bind(MainCommand::Communication, [this] { pargen->ShowModal(); });
    main->Bind(MainCommand::ReceiveFrames, [this] { setVar->ShowModal(); });
    main->Bind(MainCommand::SendFrames, [this] { setPdo->ShowModal(); });
    main->Bind(MainCommand::SendTimer, [this] { pdo->ShowModal(); });
    main->Bind(MainCommand::GsdFile, [&context, &dialogs] { RunGsdCommand(context, dialogs); });
    main->Bind(MainCommand::UpdateDevice, [this, &context, &dialogs] {
        if (PrepareDeviceUpdate(context, dialogs)) bootSer->ShowModal();
    });
}

ApplicationWindows::~ApplicationWindows() = default;

int RunKestrova(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QtDialogs dialogs;
    ApplicationWindows windows(ExecutableDirectory(), dialogs);
    if (const QScreen* screen = QGuiApplication::primaryScreen())  // centred on the screen
        windows.main->move(screen->availableGeometry().center() - windows.main->rect().center());
    windows.main->show();
    return application.exec();
}

}  // namespace kestrova
