#include "gui/editors/table_editor_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "core/editors/editor_commit.h"
#include "gui/editors/editor_grid.h"

namespace kestrova {

TableEditorWindow::TableEditorWindow(TableEditorModel model, ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      model_(std::move(model)),
      context_(context),
      dialogs_(dialogs),
      grid_(new EditorGrid(model_.layout, this)),
      okButton_(new QPushButton("OK", this)),
      cancelButton_(new QPushButton("Cancel", this)) {
    setWindowTitle(QString::fromStdString(model_.title));
    okButton_->setObjectName("okButton");
    cancelButton_->setObjectName("cancelButton");
    // In the grid Enter ends a cell edit and goes on a row (the grid keeps it). Tab leaves the
    // grid for the buttons, where Enter or space presses the focused one; Ctrl+Enter presses OK
    // from anywhere.
    okButton_->setToolTip("Save and close (Ctrl+Enter)");
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(keys, this), &QShortcut::activated, okButton_, &QPushButton::click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(buttons);

    // Wide enough for every column, tall enough for the rows (up to a screenful); resizable.
    const int rowsShown = std::min(grid_->rowCount(), 16);
    const int height = grid_->horizontalHeader()->sizeHint().height() + rowsShown * grid_->rowHeight(0) +
                       okButton_->sizeHint().height() + 48;
    resize(std::max(grid_->FullWidth() + 24, 320), height);
    setSizeGripEnabled(true);

    connect(okButton_, &QPushButton::clicked, this, &TableEditorWindow::OkClick);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { QDialog::reject(); });  // closes at once
}

bool TableEditorWindow::Reload() {
    std::vector<TableRow> rows;
    loaded_ = LoadedDocument(context_.documents.*model_.document);
    const bool loaded = LoadForShowing(dialogs_, [&] { rows = model_.load(context_.documents.*model_.document); });
    grid_->SetRows(loaded ? rows : std::vector<TableRow>{});
    loadedRows_ = grid_->Rows();
    grid_->setFocus();
    return loaded;
}

void TableEditorWindow::ShowModal() {
    if (Reload()) exec();
}

bool TableEditorWindow::ShowModalAt(int row) {
    if (!Reload()) return false;
    if (row >= 1 && row <= grid_->rowCount()) {
        grid_->setCurrentCell(row - 1, EditorGrid::GridColumn(0));
        grid_->selectRow(row - 1);
    }
    return exec() == QDialog::Accepted;
}

QPushButton* TableEditorWindow::AddButton(const QString& text, const QString& objectName,
                                          std::function<void()> action) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(objectName);
    connect(button, &QPushButton::clicked, this, std::move(action));
    for (auto* row : findChildren<QBoxLayout*>())  // the row that holds "OK"
        if (const int at = row->indexOf(okButton_); at >= 0) row->insertWidget(at, button);
    return button;
}

void TableEditorWindow::OkClick() {
    grid_->CommitOpenEditor();
    const auto rows = grid_->Rows();
    const std::string path = context_.documents.*model_.document;
    if (CommitLoadedDocument(dialogs_, model_.check(rows), context_.projectDirectory, loaded_,
                             [&] { model_.save(path, rows); }))
        accept();
}

void TableEditorWindow::reject() {
    grid_->CommitOpenEditor();
    if (MayDiscardEdits(dialogs_, grid_->Rows() != loadedRows_)) QDialog::reject();
}

}  // namespace kestrova
