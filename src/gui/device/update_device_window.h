#pragma once

#include <QDialog>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/device/run_and_wait.h"
#include "core/device/serial_port.h"
#include "core/device/update_device_session.h"
#include "core/project/dialogs.h"
#include "core/project/project_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace kestrova {

// "Update Firmware from Serial (RS232)": boot-mode instructions and the port test, then the
// update options and the run of the external updater.
class TFBootSer : public QDialog {
    Q_OBJECT
public:
    using PortLister = std::function<std::vector<std::string>()>;
    using UpdaterRunner =
        std::function<RunOutcome(const std::string& program, const std::string& parameters, bool hide)>;

    TFBootSer(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TFBootSer() override;

    // Resets to the instruction page and shows the window modally.
    void ShowModal();
    // The show handler: instruction page, not connected, port list filled.
    void Reset();

    // Replaceable parts (tests): the port list, the serial component, the updater run and its limit.
    void SetPortLister(PortLister lister) { lister_ = std::move(lister); }
    void SetComm(std::unique_ptr<TCustomComm> comm);
    void SetUpdaterRunner(UpdaterRunner runner) { runner_ = std::move(runner); }
    void SetUpdaterTimeLimit(std::chrono::milliseconds limit) { limit_ = limit; }
    TCustomComm& Comm1() { return *comm_; }

public slots:
    void done(int result) override;

private:
    void FillPortList();
    void ConnectClick();
    void NextClick();
    void ExecuteClick();
    RunOutcome RunWithProgress(const std::string& program, const std::string& parameters, bool hide);

    ProjectContext& context_;
    Dialogs& dialogs_;
    std::unique_ptr<TCustomComm> comm_;
    std::unique_ptr<UpdateDeviceSession> session_;
    PortLister lister_;
    UpdaterRunner runner_;
    std::chrono::milliseconds limit_ = kRunAndWaitLimit;

    QStackedWidget* pages_;
    QComboBox* portList_;
    QToolButton* refresh_;
    QPushButton* connect_;
    QPushButton* next_;
    QPushButton* cancel_;
    QCheckBox* firmware_;
    QCheckBox* readFirmware_;
    QCheckBox* project_;
    QCheckBox* readProject_;
    QPushButton* execute_;
};

}  // namespace kestrova
