#include "gui/app/application_windows.h"

#include "core/project/file_system.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_dialogs.h"
#include "gui/project/new_project_dialog.h"

#include <QApplication>

namespace kestrova {

ApplicationWindows::ApplicationWindows(const std::string& executableDirectory, Dialogs& dialogs)
    : main(std::make_unique<TFKestrovaFirmWare>(executableDirectory, dialogs)) {
    ProjectContext& context = main->Context();
    QWidget* owner = main.get();

    saveproj = new TFsaveproj(context, dialogs, owner);
    main->SetNewProjectDialog(saveproj);
}

ApplicationWindows::~ApplicationWindows() = default;

int RunKestrova(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QtDialogs dialogs;
    ApplicationWindows windows(ExecutableDirectory(), dialogs);
    windows.main->show();
    return application.exec();
}

}  // namespace kestrova
