#include "gui/editors/communication_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/editors/editor_commit.h"

namespace kestrova {
namespace {

QStringList Entries(const std::vector<std::string>& entries) {
    QStringList list;
    for (const auto& entry : entries) list << QString::fromStdString(entry);
    return list;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// A number field with its unit beside it.
QHBoxLayout* WithUnit(QWidget* field, const char* unit) {
    auto* row = new QHBoxLayout;
    row->addWidget(field);
    row->addWidget(new QLabel(unit));
    row->addStretch();
    return row;
}

}  // namespace

TFpargen::TFpargen(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context),
      dialogs_(dialogs),
      canBaud_(Named(new QComboBox(this), "canBaudCombo")),
      sendOnChange_(Named(new QRadioButton("Send Frame on Data Change", this), "sendOnChangeRadio")),
      sendEvery_(Named(new QRadioButton("Send Frame Every ", this), "sendEveryRadio")),
      sendPerFrame_(Named(new QRadioButton("Decide For Each Frames", this), "sendPerFrameRadio")),
      delaySend_(Named(new QLineEdit(this), "delaySendEdit")),
      timeOut_(Named(new QLineEdit(this), "timeOutEdit")),
      peer_(Named(new QCheckBox("Enable Peer to Peer", this), "peerCheck")),
      filterFeca_(Named(new QCheckBox("Filter FECA ", this), "filterFecaCheck")),
      fecaTimeOut_(Named(new QLineEdit(this), "fecaTimeOutEdit")),
      profiId_(Named(new QLineEdit(this), "profiIdEdit")),
      profiBaud_(Named(new QComboBox(this), "profiBaudCombo")),
      module_(Named(new QCheckBox("Module for every J1939 Frame", this), "moduleCheck")),
      sendJ1939_(Named(new QCheckBox("Send J1939 Frames with PROFIBUS", this), "sendJ1939Check")),
      okButton_(Named(new QPushButton("OK", this), "okButton")),
      cancelButton_(Named(new QPushButton("Cancel", this), "cancelButton")) {
    setObjectName("TFpargen");
    setWindowTitle("SET COMMUNICATION");

    // The J1939 rate is picked or typed; a typed text that names no entry chooses none.
    canBaud_->setEditable(true);
    canBaud_->setInsertPolicy(QComboBox::NoInsert);
    canBaud_->addItems(Entries(J1939BaudEntries()));
    profiBaud_->addItems(Entries(ProfibusBaudEntries()));
    profiBaud_->setEnabled(false);
    for (QLineEdit* field : {delaySend_, timeOut_, fecaTimeOut_, profiId_}) field->setMaximumWidth(90);

    // " J1939 "
    auto* canTypeOld = Named(new QRadioButton("CAN 2.0A 11Bit"), "canType20ARadio");
    auto* canTypeNew = Named(new QRadioButton("CAN 2.0B 29Bit"), "canType20BRadio");
    canTypeOld->setEnabled(false);
    canTypeNew->setChecked(true);
    auto* canType = new QGroupBox(" CAN Type ");
    auto* canTypeLayout = new QVBoxLayout(canType);
    canTypeLayout->addWidget(canTypeOld);
    canTypeLayout->addWidget(canTypeNew);

    auto* sendData = new QGroupBox(" Send Data ");
    auto* sendDataLayout = new QGridLayout(sendData);
    sendDataLayout->addWidget(sendOnChange_, 0, 0, 1, 2);
    sendDataLayout->addWidget(sendEvery_, 1, 0);
    sendDataLayout->addLayout(WithUnit(delaySend_, "ms"), 1, 1);
    sendDataLayout->addWidget(sendPerFrame_, 2, 0, 1, 2);
    auto* sendGroup = new QButtonGroup(this);
    sendGroup->addButton(sendOnChange_);
    sendGroup->addButton(sendEvery_);
    sendGroup->addButton(sendPerFrame_);

    auto* timeOutGroup = new QGroupBox(" TimeOut DATA ");
    auto* timeOutLayout = new QHBoxLayout(timeOutGroup);
    auto* timeOutLabel = new QLabel("TimeOut Data");
    timeOutLabel->setBuddy(timeOut_);
    timeOutLayout->addWidget(timeOutLabel);
    timeOutLayout->addLayout(WithUnit(timeOut_, "s"));

    auto* peerGroup = new QGroupBox(" Peer to Peer ");
    auto* peerLayout = new QGridLayout(peerGroup);
    peerLayout->addWidget(peer_, 0, 0, 1, 2);
    peerLayout->addWidget(filterFeca_, 1, 0);
    peerLayout->addLayout(WithUnit(fecaTimeOut_, "ms"), 1, 1);

    auto* j1939 = new QGroupBox(" J1939 ");
    auto* j1939Layout = new QVBoxLayout(j1939);
    auto* canBaudRow = new QHBoxLayout;
    auto* canBaudLabel = new QLabel("Baud rate");
    canBaudLabel->setBuddy(canBaud_);
    canBaudRow->addWidget(canBaudLabel);
    canBaudRow->addWidget(canBaud_);
    canBaudRow->addStretch();
    j1939Layout->addLayout(canBaudRow);
    j1939Layout->addWidget(canType);
    j1939Layout->addWidget(sendData);
    j1939Layout->addWidget(timeOutGroup);
    j1939Layout->addWidget(peerGroup);

    // " PROFIBUS "
    auto* profibus = new QGroupBox(" PROFIBUS ");
    auto* profibusLayout = new QGridLayout(profibus);
    auto* idLabel = new QLabel("ID Dev.");
    idLabel->setBuddy(profiId_);
    profibusLayout->addWidget(idLabel, 0, 0);
    profibusLayout->addWidget(profiId_, 0, 1, Qt::AlignLeft);
    profibusLayout->addWidget(new QLabel("Baud rate"), 1, 0);
    profibusLayout->addWidget(profiBaud_, 1, 1, Qt::AlignLeft);
    profibusLayout->addWidget(module_, 2, 0, 1, 2);
    profibusLayout->addWidget(sendJ1939_, 3, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    okButton_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(j1939);
    layout->addWidget(profibus);
    layout->addLayout(buttons);

    connect(okButton_, &QPushButton::clicked, this, &TFpargen::OkClick);
    connect(cancelButton_, &QPushButton::clicked, this, &TFpargen::reject);
}

bool TFpargen::Reload() {
    CommunicationSettings settings;
    loaded_ = LoadedDocument(context_.documents.pargen);
    if (!LoadForShowing(dialogs_, [&] { settings = LoadCommunicationSettings(context_.documents.pargen); }))
        return false;
    Fill(settings);
    return true;
}

void TFpargen::ShowModal() {
    if (Reload()) exec();
}

void TFpargen::Fill(const CommunicationSettings& settings) {
    canBaud_->setCurrentIndex(settings.canBaudIndex);
    canBaud_->setEditText(Text(J1939BaudText(settings)));
    switch (settings.sendData) {
        case SendDataMode::OnDataChange:
            sendOnChange_->setChecked(true);
            break;
        case SendDataMode::EveryPeriod:
            sendEvery_->setChecked(true);
            break;
        case SendDataMode::PerFrame:
            sendPerFrame_->setChecked(true);
            break;
    }
    delaySend_->setText(Text(settings.delaySend));
    timeOut_->setText(Text(settings.timeOut));
    peer_->setChecked(settings.peerToPeer);
    filterFeca_->setChecked(settings.filterFeca);
    fecaTimeOut_->setText(Text(settings.fecaTimeOut));
    profiId_->setText(Text(settings.profibusId));
    profiBaud_->setCurrentIndex(kAutoProfibusBaudIndex);
    module_->setChecked(settings.moduleForEveryFrame);
    sendJ1939_->setChecked(settings.sendJ1939WithProfibus);
    canBaud_->setFocus();
}

CommunicationSettings TFpargen::Read() const {
    CommunicationSettings settings;
    settings.canBaudIndex = J1939BaudIndexOfText(canBaud_->currentText().toStdString());
    settings.sendData = sendOnChange_->isChecked() ? SendDataMode::OnDataChange
                        : sendEvery_->isChecked()  ? SendDataMode::EveryPeriod
                                                   : SendDataMode::PerFrame;
    settings.delaySend = Text(delaySend_);
    settings.timeOut = Text(timeOut_);
    settings.peerToPeer = peer_->isChecked();
    settings.filterFeca = filterFeca_->isChecked();
    settings.fecaTimeOut = Text(fecaTimeOut_);
    settings.profibusId = Text(profiId_);
    settings.moduleForEveryFrame = module_->isChecked();
    settings.sendJ1939WithProfibus = sendJ1939_->isChecked();
    return settings;
}

void TFpargen::OkClick() {
    const CommunicationSettings settings = Read();
    const std::string path = context_.documents.pargen;
    if (CommitLoadedDocument(dialogs_, CheckCommunicationSettings(settings), context_.projectDirectory, loaded_,
                             [&] { SaveCommunicationSettings(path, settings); }))
        accept();
}

}  // namespace kestrova
