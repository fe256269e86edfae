#include "gui/project/new_project_dialog.h"

#include "core/project/workspace.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kestrova {

TFsaveproj::TFsaveproj(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context),
      dialogs_(dialogs),
      nameLabel_(new QLabel("Project name", this)),
      nameEdit_(new QLineEdit(this)),
      okButton_(new QPushButton("OK", this)),
      cancelButton_(new QPushButton("Cancel", this)) {
    setObjectName("TFsaveproj");
    nameEdit_->setObjectName("nameEdit");
    okButton_->setObjectName("okButton");
    cancelButton_->setObjectName("cancelButton");
    nameLabel_->setBuddy(nameEdit_);
    okButton_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameLabel_);
    layout->addWidget(nameEdit_);
    layout->addLayout(buttons);
    setFixedSize(319, 91);

    connect(okButton_, &QPushButton::clicked, this, &TFsaveproj::OkClick);
    connect(cancelButton_, &QPushButton::clicked, this, &TFsaveproj::CancelClick);
}

void TFsaveproj::SetEditText(const QString& text) {
    // An item's text may be longer than a line edit takes by default; it must come back whole.
    nameEdit_->setMaxLength(std::max(nameEdit_->maxLength(), static_cast<int>(text.size())));
    nameEdit_->setText(text);
}

QString TFsaveproj::EditText() const { return nameEdit_->text(); }

void TFsaveproj::showEvent(QShowEvent* event) {
    closePermission_ = false;
    if (mode_ == Mode::NewProject) {
        setWindowTitle("New project");
        nameEdit_->clear();
        typedName_.clear();
        nameLabel_->show();
    } else {
        setWindowTitle("Edit XML");
        nameLabel_->hide();
    }
    nameEdit_->setFocus();
    QDialog::showEvent(event);
}

void TFsaveproj::OkClick() {
    if (mode_ == Mode::EditXml) {
        closePermission_ = true;
    } else {
        typedName_ = nameEdit_->text().toStdString();
        closePermission_ = CreateNewProject(context_, destination_, typedName_, dialogs_);
    }
    if (closePermission_) accept();
}

void TFsaveproj::CancelClick() {
    closePermission_ = true;
    reject();
}

void TFsaveproj::done(int result) {
    // Escape and the window manager's close request act as Cancel.
    if (result != Accepted) closePermission_ = true;
    if (closePermission_) QDialog::done(result);
}

}  // namespace kestrova
