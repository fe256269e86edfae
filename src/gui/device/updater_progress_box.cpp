#include "gui/device/updater_progress_box.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "core/device/updater.h"
#include "core/project/dialogs.h"

namespace kestrova {

UpdaterProgressBox::UpdaterProgressBox(std::chrono::milliseconds limit, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), limit_(limit) {
    setWindowTitle(kApplicationTitle);
    setWindowModality(Qt::ApplicationModal);
    setObjectName("UpdaterProgressBox");
    text_ = new QLabel(this);
    text_->setObjectName("UpdaterProgressText");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetElapsed(std::chrono::milliseconds(0));
}

void UpdaterProgressBox::Begin() {
    finished_ = false;
    SetElapsed(std::chrono::milliseconds(0));
    show();
}

void UpdaterProgressBox::SetElapsed(std::chrono::milliseconds elapsed) {
    const QString text = QString::fromStdString(UpdaterProgressText(elapsed, limit_));
    if (text_->text() != text) text_->setText(text);
}

void UpdaterProgressBox::Finish() {
    finished_ = true;
    hide();
}

QString UpdaterProgressBox::Text() const { return text_->text(); }

void UpdaterProgressBox::closeEvent(QCloseEvent* event) {
    if (finished_)
        event->accept();
    else
        event->ignore();
}

}  // namespace kestrova
