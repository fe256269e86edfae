#include "gui/device/firmware_composer_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <climits>

#include "core/project/file_system.h"

namespace kestrova {

namespace {

const QColor kWindowColour(0xF8, 0xF7, 0xED);  // the window's colour
const QColor kNotInsertedColour(0xFF, 0x00, 0x00);

void Paint(QCheckBox* box, const QColor& colour) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, colour);
    box->setPalette(palette);
}

}  // namespace

TFModifyFileSx::TFModifyFileSx(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context),
      dialogs_(dialogs),
      starter_(StartProgram) {
    setWindowTitle("Generate Firmware");
    setObjectName("TFModifyFileSx");
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowColour);
    setPalette(palette);

    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    progress_->setMinimumWidth(360);
    ports_ = new QComboBox(this);
    for (int port = 1; port <= 8; ++port) ports_->addItem(QString("COM%1").arg(port));
    execute_ = new QPushButton("Execute update firmware", this);
    close_ = new QPushButton("X", this);
    close_->setFixedWidth(28);
    auto* bar = new QFrame(this);
    bar->setFrameShape(QFrame::HLine);
    bar->setFrameShadow(QFrame::Sunken);

    // Present, hidden for the whole run.
    auto* hidden = new QWidget(this);
    hidden->hide();
    nameLabel_ = new QLabel("Name new Firmware:", hidden);
    newName_ = new QLineEdit(hidden);
    openFirmware_ = new QPushButton("Open Firmware", hidden);
    options_ = new QPushButton("Options>>", hidden);
    directoryBin_ = new QPushButton("Directory File Bin", hidden);
    modify_ = new QPushButton("Execute Modify File Sx", hidden);
    flash_ = new QPushButton("Execute update firmware", hidden);
    bankPanel_ = new QGroupBox(hidden);
    auto* bankLayout = new QHBoxLayout(bankPanel_);
    for (int bank = 1; bank <= kBankCount; ++bank) {
        auto* box = new QCheckBox(QString("Bank %1").arg(bank), bankPanel_);
        box->setChecked(true);
        box->setAutoFillBackground(true);
        banks_[bank - 1] = box;
        bankLayout->addWidget(box);
    }
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel_);
    nameRow->addWidget(newName_);
    auto* hiddenButtons = new QHBoxLayout;
    for (QPushButton* button : {openFirmware_, options_, directoryBin_, modify_, flash_})
        hiddenButtons->addWidget(button);
    auto* hiddenLayout = new QVBoxLayout(hidden);
    hiddenLayout->setContentsMargins(0, 0, 0, 0);
    hiddenLayout->addLayout(nameRow);
    hiddenLayout->addLayout(hiddenButtons);
    hiddenLayout->addWidget(bankPanel_);

    auto* controls = new QHBoxLayout;
    controls->addWidget(ports_);
    controls->addStretch();
    controls->addWidget(execute_);
    controls->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progress_);
    layout->addLayout(controls);
    layout->addWidget(bar);
    layout->addWidget(hidden);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(execute_, &QPushButton::clicked, this, [this] { ExecuteUpdateClick(); });
    connect(close_, &QPushButton::clicked, this, [this] { reject(); });
    connect(openFirmware_, &QPushButton::clicked, this, [this] { OpenFirmwareClick(); });
    connect(options_, &QPushButton::clicked, this, [this] { OptionsClick(); });
    connect(directoryBin_, &QPushButton::clicked, this, [this] { DirectoryBinClick(); });
    connect(modify_, &QPushButton::clicked, this, [this] { ExecuteModifyClick(); });
    connect(flash_, &QPushButton::clicked, this, [this] { FlashClick(); });
    connect(newName_, &QLineEdit::textEdited, this,
            [this](const QString& text) { settings_.newFileName = text.toStdString(); });
}

void TFModifyFileSx::ShowModal() {
    Reset();
    exec();
}

void TFModifyFileSx::Reset() {
    options_->setText("Options >>");
    bankPanel_->hide();
    directoryBin_->hide();
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + area.height() / 2 - height());
    }
    if (const auto banks = VariantBanks(kProductVariant)) {
        for (int i = 0; i < kBankCount; ++i) {
            banks_[i]->setVisible((*banks)[i]);
            if ((*banks)[i]) banks_[i]->setChecked(true);
        }
        ResetBankColours();
    }
    ports_->setCurrentIndex(0);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    execute_->setEnabled(false);

    const ComposerSettings defaults = DefaultComposerSettings(context_);
    // this project's bin directory when it exists; otherwise the one chosen before stays
    if (!defaults.bankDirectory.empty()) settings_.bankDirectory = defaults.bankDirectory;
    if (const auto problem = BaseFirmwareProblem(context_)) {
        dialogs_.ShowMessage(MessageKind::Error, *problem);
        return;
    }
    TakeBaseFirmware(defaults.baseFirmware);
}

void TFModifyFileSx::TakeBaseFirmware(const std::string& path) {
    settings_.baseFirmware = path;
    settings_.projectDirectory = WithSeparator(context_.projectDirectory);
    settings_.newFileName = NewFileNameFor(path);
    newName_->setText(QString::fromStdString(settings_.newFileName));
    execute_->setEnabled(true);
}

ComposerSettings TFModifyFileSx::CurrentSettings() const {
    ComposerSettings settings = settings_;
    for (int i = 0; i < kBankCount; ++i) settings.banks[i] = !banks_[i]->isHidden() && banks_[i]->isChecked();
    return settings;
}

void TFModifyFileSx::ResetBankColours() {
    for (QCheckBox* box : banks_) Paint(box, kWindowColour);
}

void TFModifyFileSx::ShowProgress(long long position, long long maximum) {
    if (maximum > 0) progress_->setMaximum(static_cast<int>(std::min<long long>(maximum, INT_MAX)));
    progress_->setValue(static_cast<int>(std::min<long long>(position, progress_->maximum())));
    QApplication::processEvents();  // the window keeps painting while the files are composed
}

void TFModifyFileSx::RunComposition(bool flash) {
    if (composing_) return;
    composing_ = true;
    ResetBankColours();
    const bool executable = execute_->isEnabled();  // only once a base firmware is known
    modify_->setEnabled(false);
    execute_->setEnabled(false);
    const ComposerSettings settings = CurrentSettings();
    const ComposeProgress progress = [this](long long position, long long maximum) { ShowProgress(position, maximum); };
    ComposeReport report;
    RunGuarded(dialogs_, [&] {
        report = flash ? ExecuteUpdateFirmware(FlashProgrammerPath(context_), settings, ports_->currentIndex(), dialogs_,
                                               progress, starter_)
                       : ComposeFirmware(settings, dialogs_, progress);
    });
    for (int i = 0; i < kBankCount; ++i)
        if (report.banks[i] == BankOutcome::NotInserted) Paint(banks_[i], kNotInsertedColour);
    modify_->setEnabled(true);
    execute_->setEnabled(executable);
    composing_ = false;
}

void TFModifyFileSx::ExecuteUpdateClick() { RunComposition(true); }

void TFModifyFileSx::ExecuteModifyClick() { RunComposition(false); }

void TFModifyFileSx::FlashClick() {
    if (composing_) return;
    RunGuarded(dialogs_, [this] {
        LaunchFlashProgrammer(FlashProgrammerPath(context_), CurrentSettings(), ports_->currentIndex(), dialogs_,
                              starter_);
    });
}

void TFModifyFileSx::OpenFirmwareClick() {
    if (composing_) return;
    const std::string start =
        DirectoryExists(context_.masterDirectory) ? context_.masterDirectory : context_.executableDirectory;
    if (const auto path = dialogs_.ChooseOpenFile(start, kSxFilter)) TakeBaseFirmware(*path);
}

void TFModifyFileSx::DirectoryBinClick() {
    if (composing_) return;
    if (const auto folder = dialogs_.ChooseFolder(kSelectDirectoryBin, context_.projectDirectory, ""))
        settings_.bankDirectory = WithSeparator(*folder);
}

void TFModifyFileSx::OptionsClick() {
    const bool show = bankPanel_->isHidden();
    bankPanel_->setVisible(show);
    directoryBin_->setVisible(show);
    options_->setText(show ? "<< Options" : "Options >>");
}

void TFModifyFileSx::reject() {
    if (!composing_) QDialog::reject();  // the window stays while the files are composed
}

}  // namespace kestrova
