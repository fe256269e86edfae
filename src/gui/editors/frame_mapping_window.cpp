#include "gui/editors/frame_mapping_window.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/editors/editor_commit.h"

namespace kestrova {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

FrameMappingWindow::FrameMappingWindow(const FrameMappingKind& kind, ProjectContext& context, Dialogs& dialogs,
                                       QWidget* parent)
    : QDialog(parent),
      kind_(kind),
      context_(context),
      dialogs_(dialogs),
      frameList_(new QListWidget(this)),
      okButton_(new QPushButton("OK", this)),
      cancelButton_(new QPushButton("Cancel", this)) {
    setWindowTitle(Text(kind_.title));
    frameList_->setObjectName("frameList");
    okButton_->setObjectName("okButton");
    cancelButton_->setObjectName("cancelButton");
    // A click on a button leaves the focus where it is, so that the field being edited is
    // taken by OK (once) and Cancel closes even while a field holds a refused text. Enter in a
    // field takes the field; it does not press a button.
    for (QPushButton* button : {okButton_, cancelButton_}) {
        button->setFocusPolicy(Qt::TabFocus);
        button->setAutoDefault(false);
    }

    auto* list = new QVBoxLayout;
    list->addWidget(new QLabel("COB ID", this));
    list->addWidget(frameList_);

    auto* bytes = new QGridLayout;
    bytes->addWidget(new QLabel("Bytes", this), 0, 0, 1, 4);
    for (int byte = 1; byte <= kFrameDataByteCount; ++byte) {
        ByteRow& row = rows_[byte - 1];
        row.caption = new QLabel(Text(ByteRowCaption(kind_, byte)), this);
        row.field = new QLineEdit("none", this);
        row.field->setObjectName(QString("byteField%1").arg(byte));
        row.imageCaption = new QLabel(Text(kind_.imageCaption), this);
        row.notInUse = new QLabel("Not in use", this);
        row.notInUse->setObjectName(QString("notInUse%1").arg(byte));
        QSizePolicy keepPlace = row.notInUse->sizePolicy();
        keepPlace.setRetainSizeWhenHidden(true);
        row.notInUse->setSizePolicy(keepPlace);
        bytes->addWidget(row.caption, byte, 0);
        bytes->addWidget(row.field, byte, 1);
        bytes->addWidget(row.imageCaption, byte, 2);
        bytes->addWidget(row.notInUse, byte, 3);
        if (kind_.checkEveryChange) {
            connect(row.field, &QLineEdit::textEdited, this, [this, byte] { TakeByteField(byte); });
        } else {
            row.field->installEventFilter(this);
            connect(row.field, &QLineEdit::returnPressed, this, [this, byte] { TakeByteField(byte); });
        }
    }

    auto* panes = new QHBoxLayout;
    panes->addLayout(list);
    panes->addLayout(bytes, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panes);
    layout->addLayout(buttons);

    connect(frameList_, &QListWidget::currentRowChanged, this, &FrameMappingWindow::ShowFrame);
    connect(okButton_, &QPushButton::clicked, this, &FrameMappingWindow::OkClick);
    connect(cancelButton_, &QPushButton::clicked, this, &FrameMappingWindow::reject);
}

bool FrameMappingWindow::Reload() {
    std::vector<FrameBytes> frames;
    mappingLoaded_ = LoadedDocument(context_.documents.*kind_.mapping);
    loaded_ = LoadForShowing(dialogs_, [&] {
        frames = LoadFrameBytes(kind_, context_.documents.*kind_.frameList, context_.documents.*kind_.mapping);
    });
    frames_ = std::move(frames);
    {
        const QSignalBlocker quiet(frameList_);
        frameList_->clear();
        for (const FrameBytes& frame : frames_) frameList_->addItem(Text(frame.name));
    }
    if (frames_.empty()) {
        // The fields and indicators keep what they showed last.
        for (const ByteRow& row : rows_) EnableRow(row, false);
    } else {
        frameList_->setCurrentRow(0);
        ShowFrame(0);
        frameList_->setFocus();
    }
    return loaded_;
}

void FrameMappingWindow::ShowModal() {
    if (Reload()) exec();
}

bool FrameMappingWindow::ShowModalAt(int frame) {
    if (!Reload()) return false;
    if (frame >= 1 && frame <= frameList_->count()) frameList_->setCurrentRow(frame - 1);
    return exec() == QDialog::Accepted;
}

void FrameMappingWindow::ShowFrame(int index) {
    if (index < 0 || index >= static_cast<int>(frames_.size())) return;
    const FrameBytes& frame = frames_[index];
    for (int byte = 1; byte <= kFrameDataByteCount; ++byte) {
        const ByteRow& row = rows_[byte - 1];
        const bool inUse = frame.InUse(byte);
        EnableRow(row, inUse);
        row.notInUse->setVisible(!inUse);
        row.field->setText(Text(inUse ? TargetText(frame.targets[byte - 1]) : TargetText(kNoPosition)));
    }
}

void FrameMappingWindow::EnableRow(const ByteRow& row, bool enabled) {
    row.caption->setEnabled(enabled);
    row.field->setEnabled(enabled);
    row.imageCaption->setEnabled(enabled);
}

bool FrameMappingWindow::TakeByteField(int byte) {
    const int selected = frameList_->currentRow();
    if (reporting_ || selected < 0 || selected >= static_cast<int>(frames_.size()) || !frames_[selected].InUse(byte))
        return true;
    QLineEdit* field = ByteField(byte);
    const ByteFieldReading reading = ReadByteField(field->text().toStdString(), byte);
    if (reading.target) {
        frames_[selected].targets[byte - 1] = *reading.target;
        return true;
    }
    reporting_ = true;
    dialogs_.ShowMessage(MessageKind::Error, reading.refusal);
    reporting_ = false;
    field->setFocus();
    return false;
}

bool FrameMappingWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && isVisible()) {
        // Leaving the field within the window checks it; the window losing the focus as a
        // whole (a message box, another program) does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (int byte = 1; byte <= kFrameDataByteCount; ++byte)
                if (ByteField(byte) == watched) TakeByteField(byte);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrameMappingWindow::OkClick() {
    if (!loaded_) return;
    // The field still being edited counts as left. A field checked at every change was taken
    // already: a refused text there keeps the earlier target and OK writes without a check.
    for (int byte = 1; byte <= kFrameDataByteCount && !kind_.checkEveryChange; ++byte) {
        if (focusWidget() == ByteField(byte) && ByteField(byte)->isEnabled() && !TakeByteField(byte)) return;
    }
    const std::optional<std::string> failure = kind_.checkCollisions ? CheckPositionCollisions(frames_) : std::nullopt;
    const std::string path = context_.documents.*kind_.mapping;
    if (CommitLoadedDocument(dialogs_, failure, context_.projectDirectory, mappingLoaded_,
                             [&] { SaveFrameBytes(kind_, path, frames_); }))
        accept();
}

}  // namespace kestrova
