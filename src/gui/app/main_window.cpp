#include "gui/app/main_window.h"

#include "core/project/error.h"
#include "core/project/workspace.h"
#include "gui/project/new_project_dialog.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>

namespace kestrova {
namespace {

bool NeedsProjectCheck(MainCommand command) {
    return command != MainCommand::UpdateDevice && command != MainCommand::About;
}

QLabel* StepLabel(int step, QWidget* parent) {
    auto* label = new QLabel(QString("Step %1").arg(step), parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setStyleSheet("color: #808080;");
    return label;
}

}  // namespace

TFKestrovaFirmWare::TFKestrovaFirmWare(const std::string& executableDirectory, Dialogs& dialogs, QWidget* parent,
                                       const std::string& workspaceDirectory)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), dialogs_(dialogs) {
    setObjectName("TFKestrovaFirmWare");
    setWindowTitle(kInitialTitle);
    QFont font("Verdana");
    font.setPointSize(8);
    setFont(font);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 8, 8, 16);
    grid->setHorizontalSpacing(16);
    grid->setColumnStretch(3, 1);

    // top right: "About" and "X"
    auto* about = AddButton("About", "about", MainCommand::About);
    about->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    about->setToolTip("About");
    about->setText(QString());
    auto* exit = AddButton("X", "LbButton1");
    exit->setToolTip("Close");
    for (auto* small : {about, exit}) small->setFixedSize(28, 24);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    // "Project Overview" stands above the steps, beside "About", so the seven steps keep their rows.
    auto* overview = AddButton("Project Overview", "btn_Overview", MainCommand::Overview);
    overview->setFixedHeight(24);
    auto* corner = new QHBoxLayout;
    corner->addWidget(overview);
    corner->addStretch();
    corner->addWidget(about);
    corner->addWidget(exit);
    grid->addLayout(corner, 0, 0, 1, 5);

    auto* newProject = AddButton("New project", "New");
    auto* openProject = AddButton("Open project", "open");
    connect(newProject, &QPushButton::clicked, this, &TFKestrovaFirmWare::NewaClick);
    connect(openProject, &QPushButton::clicked, this, &TFKestrovaFirmWare::OpenaClick);

    auto* link = new QLabel(QString("<a href=\"%1\">www.quorvane.com</a>").arg(kMakerWebPage), this);
    link->setObjectName("Label1");
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });

    struct Row {
        QWidget* main;
        QWidget* second;
    };
    const Row rows[] = {
        {newProject, openProject},
        {AddButton("Set Communication", "btn_Prm_Gen", MainCommand::Communication), nullptr},
        {AddButton("Receive Frames", "btn_Sdo", MainCommand::ReceiveFrames),
         AddButton("Info Receive", "btn_RecInfo", MainCommand::InfoReceive)},
        {AddButton("Send Frames", "Btn_SetPDO", MainCommand::SendFrames),
         AddButton("Info Send", "btn_SenInfo", MainCommand::InfoSend)},
        {AddButton("Send Timer", "btn_Pdo", MainCommand::SendTimer), nullptr},
        {AddButton("GSD File", "btn_Gsd", MainCommand::GsdFile), nullptr},
        {AddButton("Update Device", "CreateBin", MainCommand::UpdateDevice), link},
    };
    for (int i = 0; i < 7; ++i) {
        grid->addWidget(StepLabel(i + 1, this), i + 1, 0);
        rows[i].main->setMinimumWidth(150);
        grid->addWidget(rows[i].main, i + 1, 1);
        if (rows[i].second) grid->addWidget(rows[i].second, i + 1, 2);
    }
    setTabOrder(rows[6].main, link);  // Tab follows the steps: the link of Step 7 after "Update Device"
    setTabOrder(link, overview);      // and "Project Overview" after the steps
    Button(MainCommand::InfoReceive)->hide();
    Button(MainCommand::InfoSend)->hide();

    // Buttons of the CANopen bridge and the firmware composer: present, hidden for the whole run.
    const struct {
        const char* text;
        const char* name;
        MainCommand command;
    } hidden[] = {
        {"Define EMCY Word", "btn_Emcy_Wd", MainCommand::EmcyWord},
        {"Set Traslate EMCY", "btn_Emcy", MainCommand::TraslateEmcy},
        {"Define store PDO", "btn_Info_Pdo", MainCommand::StorePdo},
    };
    for (int i = 0; i < 3; ++i) {
        auto* button = AddButton(hidden[i].text, hidden[i].name, hidden[i].command);
        grid->addWidget(button, i + 2, 4);
        button->hide();
    }
    auto* generate = AddButton("Generate Firmware", "CreateSx");
    connect(generate, &QPushButton::clicked, this, [this] { RunCommand(MainCommand::UpdateDevice); });
    grid->addWidget(generate, 5, 4);
    generate->hide();

    setFixedSize(565, 353);
    newProject->setFocus();

    setWindowTitle(QString::fromStdString(OpenWorkspace(context_, executableDirectory, workspaceDirectory)));
}

QPushButton* TFKestrovaFirmWare::AddButton(const char* text, const char* name) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QPushButton* TFKestrovaFirmWare::AddButton(const char* text, const char* name, MainCommand command) {
    auto* button = AddButton(text, name);
    buttons_[command] = button;
    button->setEnabled(false);  // until Bind gives it an action
    connect(button, &QPushButton::clicked, this, [this, command] { RunCommand(command); });
    return button;
}

QPushButton* TFKestrovaFirmWare::Button(MainCommand command) const {
    const auto found = buttons_.find(command);
    return found == buttons_.end() ? nullptr : found->second;
}

void TFKestrovaFirmWare::Bind(MainCommand command, std::function<void()> action) {
    actions_[command] = std::move(action);
    if (auto* button = Button(command)) button->setEnabled(true);
}

void TFKestrovaFirmWare::RunCommand(MainCommand command) {
    if (NeedsProjectCheck(command) && !CheckProjectOpen(context_, dialogs_)) return;
    const auto action = actions_.find(command);
    if (action != actions_.end()) RunGuarded(dialogs_, action->second);
}

void TFKestrovaFirmWare::NewaClick() {
    if (!newProjectDialog_) return;
    newProjectDialog_->SetMode(TFsaveproj::Mode::NewProject);
    newProjectDialog_->SetDestinationDirectory(context_.projectsDirectory);
    // On OK the dialog has made the new project current; on Cancel the project stays.
    const bool created = newProjectDialog_->exec() == QDialog::Accepted;
    setWindowTitle(QString::fromStdString(TitleAfterNewProject(context_, created)));
}

void TFKestrovaFirmWare::OpenaClick() {
    RunGuarded(dialogs_, [this] { setWindowTitle(QString::fromStdString(OpenProject(context_, dialogs_))); });
}

void TFKestrovaFirmWare::closeEvent(QCloseEvent* event) {
    // A settings file that cannot be written is reported; the program still ends, since only
    // the memory of the last project is lost.
    RunGuarded(dialogs_, [this] { SaveLastProject(context_); });
    event->accept();
}

}  // namespace kestrova
