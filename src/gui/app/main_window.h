#pragma once

#include "core/project/dialogs.h"
#include "core/project/project_context.h"

#include <QWidget>
#include <functional>
#include <map>

class QLabel;
class QPushButton;

namespace kestrova {

class TFsaveproj;

// What the main window's buttons run. The editors and the GSD command go through the step
// dispatch (project check first); "Update Device" and "About" do not.
enum class MainCommand {
    Communication,   // "Set Communication"
    ReceiveFrames,   // "Receive Frames"
    SendFrames,      // "Send Frames"
    SendTimer,       // "Send Timer"
    InfoReceive,     // "Info Receive" (hidden)
    InfoSend,        // "Info Send" (hidden)
    TraslateEmcy,    // "Set Traslate EMCY" (hidden)
    EmcyWord,        // "Define EMCY Word" (hidden)
    StorePdo,        // "Define store PDO" (hidden)
    GsdFile,         // "GSD File"
    UpdateDevice,    // "Update Device" and "Generate Firmware" (hidden)
    About,           // "About"
    Overview,        // "Project Overview"
};

// The main window: seven numbered steps, from creating a project to updating the device.
// It owns the ProjectContext of the run.
class TFKestrovaFirmWare : public QWidget {
    Q_OBJECT
public:
    // Fixes the workspace (by default beside `executableDirectory`) and reopens the last project.
    TFKestrovaFirmWare(const std::string& executableDirectory, Dialogs& dialogs, QWidget* parent = nullptr,
                       const std::string& workspaceDirectory = {});

    ProjectContext& Context() { return context_; }
    void SetNewProjectDialog(TFsaveproj* dialog) { newProjectDialog_ = dialog; }
    // Binds a button to what it runs; buttons without a binding are disabled.
    void Bind(MainCommand command, std::function<void()> action);

    QPushButton* Button(MainCommand command) const;

    // Handlers, public so that tests drive them as the buttons do.
    void NewaClick();
    void OpenaClick();
    void RunCommand(MainCommand command);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* AddButton(const char* text, const char* name, MainCommand command);
    QPushButton* AddButton(const char* text, const char* name);

    ProjectContext context_;
    Dialogs& dialogs_;
    TFsaveproj* newProjectDialog_ = nullptr;
    std::map<MainCommand, QPushButton*> buttons_;
    std::map<MainCommand, std::function<void()>> actions_;
};

// The maker's web page behind the link label.
inline constexpr const char* kMakerWebPage = "https://www.quorvane.com/HOME/default.asp?frompg=CQ48120";

}  // namespace kestrova
