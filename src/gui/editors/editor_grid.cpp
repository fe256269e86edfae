#include "gui/editors/editor_grid.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QUndoStack>

namespace kestrova {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// A check-box cell: shows the box the core's flag rules give and writes their texts into the cell.
class FlagDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        cell.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

        QStyleOptionViewItem box = cell;
        const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &cell, widget),
                         style->pixelMetric(QStyle::PM_IndicatorHeight, &cell, widget));
        box.rect = QStyle::alignedRect(cell.direction, Qt::AlignCenter, size, cell.rect);
        box.state = (cell.state & QStyle::State_Enabled) |
                    (FlagTicked(index.data().toString().toStdString()) ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
                    return false;
                Toggle(model, index);
                return true;
            }
            case QEvent::MouseButtonRelease:
                return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
            case QEvent::KeyPress: {
                const auto* key = static_cast<QKeyEvent*>(event);
                if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
                if (key->key() == Qt::Key_Space || key->key() == Qt::Key_Select) {
                    Toggle(model, index);
                    return true;
                }
                if (key->key() == Qt::Key_Y || key->key() == Qt::Key_N) {
                    model->setData(index, Text(key->key() == Qt::Key_Y ? kFlagTicked : kFlagCleared));
                    return true;
                }
                return false;
            }
            default:
                return false;
        }
    }

private:
    static void Toggle(QAbstractItemModel* model, const QModelIndex& index) {
        model->setData(index, Text(ToggledFlag(index.data().toString().toStdString())));
    }
};

// A pick-list cell: an editable drop-down of the column's entries; what it shows is the cell.
class PickDelegate : public QStyledItemDelegate {
public:
    PickDelegate(QStringList entries, QObject* parent) : QStyledItemDelegate(parent), entries_(std::move(entries)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->setObjectName("pickEditor");
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(entries_);
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        const QString text = index.data().toString();
        box->setCurrentIndex(box->findText(text, Qt::MatchFixedString));
        box->setEditText(text);
        box->lineEdit()->selectAll();
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText());
    }

private:
    QStringList entries_;
};

// One changed cell; the change is already shown when the step is recorded.
class CellChange : public QUndoCommand {
public:
    CellChange(EditorGrid* grid, int row, int column, QString before, QString after)
        : grid_(grid), row_(row), column_(column), before_(std::move(before)), after_(std::move(after)) {}

    void undo() override { grid_->RestoreCell(row_, column_, before_); }
    void redo() override {
        if (!recorded_) {
            recorded_ = true;
            return;
        }
        grid_->RestoreCell(row_, column_, after_);
    }

private:
    EditorGrid* grid_;
    int row_, column_;
    QString before_, after_;
    bool recorded_ = false;
};

bool IsUndo(const QKeyEvent* event) { return event->key() == Qt::Key_Z && event->modifiers() == Qt::ControlModifier; }
bool IsRedo(const QKeyEvent* event) {
    return (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier) ||
           (event->key() == Qt::Key_Z && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier));
}

QTableWidgetItem* NewItem(const QString& text, Qt::ItemFlags flags) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(flags);
    return item;
}

}  // namespace

EditorGrid::EditorGrid(TableLayout layout, QWidget* parent)
    : QTableWidget(static_cast<int>(layout.RowCount()), static_cast<int>(layout.columns.size()) + 1, parent),
      layout_(std::move(layout)),
      history_(new QUndoStack(this)) {
    setObjectName("grid");
    QStringList headings{QString::fromStdString(layout_.labelHeading)};
    for (const auto& column : layout_.columns) headings << QString::fromStdString(column.heading);
    setHorizontalHeaderLabels(headings);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    setSelectionMode(ContiguousSelection);
    setWordWrap(false);

    for (size_t column = 0; column < layout_.columns.size(); ++column) {
        const TableColumn& rule = layout_.columns[column];
        if (rule.kind == CellKind::Flag) {
            setItemDelegateForColumn(GridColumn(column), new FlagDelegate(this));
        } else if (rule.kind == CellKind::Pick) {
            QStringList entries;
            for (const auto& entry : rule.entries) entries << QString::fromStdString(entry);
            setItemDelegateForColumn(GridColumn(column), new PickDelegate(entries, this));
        }
    }
    SetRows({});
    FitColumns();
    connect(this, &QTableWidget::itemChanged, this, &EditorGrid::RecordChange);
}

void EditorGrid::SetCell(int row, int column, const QString& text) {
    if (column == 0) {
        // A fixed label: neither selectable nor enabled, so the keyboard skips it; drawn in the
        // normal text colour all the same.
        auto* label = NewItem(text, Qt::NoItemFlags);
        label->setForeground(palette().brush(QPalette::Active, QPalette::Text));
        setItem(row, column, label);
        return;
    }
    const auto& rule = layout_.columns[static_cast<size_t>(column - 1)];
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (rule.kind != CellKind::Flag) flags |= Qt::ItemIsEditable;
    auto* cell = NewItem(text, flags);
    if (rule.kind == CellKind::Flag) cell->setTextAlignment(Qt::AlignCenter);
    setItem(row, column, cell);
}

void EditorGrid::SetRows(const std::vector<TableRow>& rows) {
    if (state() == EditingState) CommitOpenEditor();
    restoring_ = true;
    recorded_.assign(static_cast<size_t>(rowCount()), std::vector<QString>(static_cast<size_t>(columnCount())));
    for (int row = 0; row < rowCount(); ++row) {
        SetCell(row, 0, QString::fromStdString(layout_.rowLabels[static_cast<size_t>(row)]));
        for (size_t column = 0; column < layout_.columns.size(); ++column) {
            const QString text = QString::fromStdString(CellText(rows, static_cast<size_t>(row), column));
            SetCell(row, GridColumn(column), text);
            recorded_[static_cast<size_t>(row)][static_cast<size_t>(GridColumn(column))] = text;
        }
    }
    restoring_ = false;
    history_->clear();
    clearSelection();
    setCurrentCell(0, GridColumn(0));
    scrollToTop();
}

void EditorGrid::EditRows(const std::vector<TableRow>& rows, const QString& stepName) {
    CommitOpenEditor();
    history_->beginMacro(stepName);
    for (int row = 0; row < rowCount(); ++row)
        for (size_t column = 0; column < layout_.columns.size(); ++column) {
            const QString text = QString::fromStdString(CellText(rows, static_cast<size_t>(row), column));
            QTableWidgetItem* cell = item(row, GridColumn(column));
            if (cell && cell->text() != text) cell->setText(text);  // recorded by RecordChange
        }
    history_->endMacro();
}

std::vector<TableRow> EditorGrid::Rows() const {
    std::vector<TableRow> rows(static_cast<size_t>(rowCount()), TableRow(layout_.columns.size()));
    for (int row = 0; row < rowCount(); ++row)
        for (size_t column = 0; column < layout_.columns.size(); ++column)
            if (const auto* cell = item(row, GridColumn(column)))
                rows[static_cast<size_t>(row)][column] = cell->text().toStdString();
    return rows;
}

void EditorGrid::RecordChange(QTableWidgetItem* cell) {
    if (restoring_ || cell->column() == 0) return;
    QString& recorded = recorded_[static_cast<size_t>(cell->row())][static_cast<size_t>(cell->column())];
    if (cell->text() == recorded) return;
    const QString before = recorded;
    recorded = cell->text();
    history_->push(new CellChange(this, cell->row(), cell->column(), before, recorded));
}

void EditorGrid::RestoreCell(int row, int column, const QString& text) {
    if (state() == EditingState) CommitOpenEditor();
    restoring_ = true;
    item(row, column)->setText(text);
    recorded_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    restoring_ = false;
    setCurrentCell(row, column);
}

void EditorGrid::CommitOpenEditor() {
    if (state() != EditingState) return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void EditorGrid::keyPressEvent(QKeyEvent* event) {
    if (state() != EditingState && (IsUndo(event) || IsRedo(event))) {
        IsUndo(event) ? history_->undo() : history_->redo();
        event->accept();
        return;
    }
    if (state() != EditingState && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) &&
        event->modifiers() == Qt::NoModifier) {
        std::vector<std::pair<QTableWidgetItem*, QString>> cleared;
        for (const auto& index : selectedIndexes()) {
            if (index.column() == 0) continue;
            const auto kind = layout_.columns[static_cast<size_t>(index.column() - 1)].kind;
            auto* cell = item(index.row(), index.column());
            const QString text = Text(ClearedCell(kind, cell->text().toStdString()));
            if (text != cell->text()) cleared.emplace_back(cell, text);
        }
        if (!cleared.empty()) {  // one step, however many cells
            history_->beginMacro("Delete");
            for (const auto& [cell, text] : cleared) cell->setText(text);
            history_->endMacro();
        }
        event->accept();
        return;
    }
    if (state() != EditingState && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // Like a spreadsheet: Enter goes on to the next row.
        if (currentRow() + 1 < rowCount()) setCurrentCell(currentRow() + 1, currentColumn());
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

bool EditorGrid::AtEdge(bool forward) const {
    if (rowCount() == 0) return true;
    return forward ? currentRow() == rowCount() - 1 && currentColumn() == columnCount() - 1
                   : currentRow() == 0 && currentColumn() == GridColumn(0);
}

void EditorGrid::LeaveGrid(bool forward) {
    // Past the last cell (or before the first) Tab leaves the table for the buttons below it.
    CommitOpenEditor();
    QAbstractScrollArea::focusNextPrevChild(forward);
}

bool EditorGrid::focusNextPrevChild(bool next) {
    if (AtEdge(next)) {
        LeaveGrid(next);
        return true;
    }
    return QTableWidget::focusNextPrevChild(next);
}

void EditorGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Tab in a cell editor arrives here as "edit the next item".
    const bool forward = hint == QAbstractItemDelegate::EditNextItem;
    const bool leave = (forward || hint == QAbstractItemDelegate::EditPreviousItem) && AtEdge(forward);
    QTableWidget::closeEditor(editor, leave ? QAbstractItemDelegate::NoHint : hint);
    if (leave) LeaveGrid(forward);
}

void EditorGrid::FitColumns() {
    const QFontMetrics headerMetrics(horizontalHeader()->font());
    const QFontMetrics cellMetrics(font());
    const int padding = 3 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 12;

    int labelWidth = headerMetrics.horizontalAdvance(QString::fromStdString(layout_.labelHeading));
    for (const auto& label : layout_.rowLabels)
        labelWidth = std::max(labelWidth, cellMetrics.horizontalAdvance(QString::fromStdString(label)));
    setColumnWidth(0, labelWidth + padding);

    for (size_t column = 0; column < layout_.columns.size(); ++column) {
        const TableColumn& rule = layout_.columns[column];
        int width = std::max(headerMetrics.horizontalAdvance(QString::fromStdString(rule.heading)) + padding,
                             cellMetrics.horizontalAdvance(QStringLiteral("0x0000")) + padding);
        if (rule.kind == CellKind::Pick) {
            for (const auto& entry : rule.entries)
                width = std::max(width, cellMetrics.horizontalAdvance(QString::fromStdString(entry)) + padding +
                                            style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
        }
        if (column + 1 == layout_.columns.size()) width = std::max(width, cellMetrics.horizontalAdvance('M') * 12);
        setColumnWidth(GridColumn(column), width);
    }
}

int EditorGrid::FullWidth() const {
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < columnCount(); ++column) width += columnWidth(column);
    return width;
}

}  // namespace kestrova
