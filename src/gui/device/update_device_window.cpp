#include "gui/device/update_device_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/device/serial_port_list.h"
#include "core/device/updater.h"
#include "gui/device/updater_progress_box.h"

namespace kestrova {

namespace {

QLabel* Line(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

QCheckBox* CheckBox(const char* text, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setChecked(true);
    return box;
}

}  // namespace

TFBootSer::TFBootSer(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), context_(context), dialogs_(dialogs), lister_([] { return ListSerialPorts(); }) {
    setWindowTitle("Update Firmware from Serial (RS232)");
    setObjectName("TFBootSer");
    SetComm(std::make_unique<TComm>());

    pages_ = new QStackedWidget(this);

    // Instruction page.
    auto* instructions = new QWidget(pages_);
    auto* heading = Line("Follow these steps to update the GX48120 from RS232:", instructions);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    portList_ = new QComboBox(instructions);
    portList_->setObjectName("ComPortList");
    portList_->setEditable(false);
    portList_->setMinimumWidth(120);
    refresh_ = new QToolButton(instructions);
    refresh_->setObjectName("RefreshPorts");
    refresh_->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    refresh_->setToolTip("Update COM Port List");
    connect_ = new QPushButton("Connect", instructions);
    cancel_ = new QPushButton("Cancel", instructions);
    next_ = new QPushButton("Next", instructions);
    next_->setDefault(true);

    auto* portRow = new QHBoxLayout;
    portRow->setContentsMargins(24, 0, 0, 0);
    portRow->addWidget(portList_);
    portRow->addWidget(refresh_);
    portRow->addWidget(connect_);
    portRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addWidget(next_);
    auto* instructionLayout = new QVBoxLayout(instructions);
    instructionLayout->addWidget(heading);
    instructionLayout->addWidget(Line("1 - Turn OFF the Device", instructions));
    instructionLayout->addWidget(Line("2 - Insert the Boot Jumper (see the manual)", instructions));
    instructionLayout->addWidget(Line("3 - Select the  COM port and press the connect button", instructions));
    instructionLayout->addLayout(portRow);
    instructionLayout->addWidget(Line("4 - Turn ON the Device", instructions));
    instructionLayout->addWidget(Line("5 - Check the BOOT led. It must blink quickly", instructions));
    instructionLayout->addStretch();
    instructionLayout->addLayout(buttons);
    pages_->addWidget(instructions);

    // Options page.
    auto* options = new QWidget(pages_);
    auto* optionsHeading = Line("Update Device Options", options);
    optionsHeading->setFont(bold);
    firmware_ = CheckBox("Firmware", options);
    readFirmware_ = CheckBox("Read Firmware when finish", options);
    project_ = CheckBox("Project", options);
    readProject_ = CheckBox("Read Project when finish", options);
    auto* unused = new QGroupBox(options);  // kept, never shown
    unused->setEnabled(false);
    unused->setVisible(false);
    auto* unusedLayout = new QVBoxLayout(unused);
    unusedLayout->addWidget(CheckBox("Parameter", unused));
    unusedLayout->addWidget(CheckBox("List PGN", unused));
    execute_ = new QPushButton("Execute update firmware", options);
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(optionsHeading);
    optionsLayout->addWidget(firmware_);
    auto* indentedFirmware = new QHBoxLayout;
    indentedFirmware->setContentsMargins(24, 0, 0, 0);
    indentedFirmware->addWidget(readFirmware_);
    optionsLayout->addLayout(indentedFirmware);
    optionsLayout->addWidget(project_);
    auto* indentedProject = new QHBoxLayout;
    indentedProject->setContentsMargins(24, 0, 0, 0);
    indentedProject->addWidget(readProject_);
    optionsLayout->addLayout(indentedProject);
    optionsLayout->addWidget(unused);
    optionsLayout->addStretch();
    optionsLayout->addWidget(execute_, 0, Qt::AlignHCenter);
    pages_->addWidget(options);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(refresh_, &QToolButton::clicked, this, [this] { FillPortList(); });
    connect(connect_, &QPushButton::clicked, this, [this] { ConnectClick(); });
    connect(next_, &QPushButton::clicked, this, [this] { NextClick(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    connect(execute_, &QPushButton::clicked, this, [this] { ExecuteClick(); });
}

TFBootSer::~TFBootSer() {
    if (session_) session_->ClosePort();
}

void TFBootSer::SetComm(std::unique_ptr<TCustomComm> comm) {
    if (session_) session_->ClosePort();
    session_.reset();
    comm_ = std::move(comm);
    // Line events are handed over from the watcher's thread and dispatched on this window's
    // thread; a request still queued when the window goes is dropped with it.
    comm_->SetDispatchRequest([this] {
        QMetaObject::invokeMethod(
            this, [this] { comm_->DeliverPendingEvents(); }, Qt::QueuedConnection);
    });
    session_ = std::make_unique<UpdateDeviceSession>(*comm_);
}

void TFBootSer::ShowModal() {
    Reset();
    exec();
}

void TFBootSer::Reset() {
    pages_->setCurrentIndex(0);
    session_->Reset();
    FillPortList();
}

void TFBootSer::FillPortList() {
    portList_->clear();
    for (const auto& port : lister_()) portList_->addItem(QString::fromStdString(port));
    portList_->setCurrentIndex(portList_->count() > 0 ? 0 : -1);
}

void TFBootSer::ConnectClick() {
    if (const auto message = session_->Connect(portList_->currentText().toStdString()))
        dialogs_.ShowMessage(MessageKind::Error, *message);
}

void TFBootSer::NextClick() {
    if (const auto message = session_->Next()) {
        dialogs_.ShowMessage(MessageKind::Error, *message);
        return;
    }
    pages_->setCurrentIndex(1);
}

void TFBootSer::ExecuteClick() {
    UpdateOptions options;
    options.firmware = firmware_->isChecked();
    options.readFirmware = readFirmware_->isChecked();
    options.project = project_->isChecked();
    options.readProject = readProject_->isChecked();
    const std::string program = UpdaterProgramPath(context_);
    const std::string parameters = UpdaterParameterText(portList_->currentText().toStdString(), options,
                                                        FirmwarePath(context_), context_.projectDirectory);
    const RunOutcome outcome =
        runner_ ? runner_(program, parameters, false) : RunWithProgress(program, parameters, false);
    if (const auto message = UpdaterOutcomeMessage(outcome, program, limit_))
        dialogs_.ShowMessage(message->kind, message->text);
}

RunOutcome TFBootSer::RunWithProgress(const std::string& program, const std::string& parameters, bool hide) {
    UpdaterProgressBox box(limit_, this);
    box.Begin();
    const RunOutcome outcome = RunAndWait(program, parameters, hide, limit_, [&box](std::chrono::milliseconds elapsed) {
        box.SetElapsed(elapsed);
        QCoreApplication::processEvents();
    });
    box.Finish();
    return outcome;
}

void TFBootSer::done(int result) {
    session_->ClosePort();
    QDialog::done(result);
}

}  // namespace kestrova
