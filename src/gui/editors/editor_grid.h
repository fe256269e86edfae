#pragma once

#include <QTableWidget>
#include <vector>

#include "core/editors/editor_table.h"

class QUndoStack;

namespace kestrova {

// The table of an editor window, shaped by a TableLayout: a fixed label column, then the data
// columns. Text cells are replaced by typing; check-box cells hold "Y"/"N" (empty until first
// touched) and are toggled by a click or the space bar, or set by typing Y or N; pick-list
// cells offer their entries and accept typed text; Delete clears the selected cells. The
// keyboard skips the label column; Tab on the last cell (Shift+Tab on the first) leaves the
// grid for the next (previous) widget. Every change of the cells (typing, Delete, check-box
// and pick-list choices) can be undone with Ctrl+Z and redone with Ctrl+Y or Ctrl+Shift+Z.
class EditorGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit EditorGrid(TableLayout layout, QWidget* parent = nullptr);

    // Labels every row, empties every cell, then shows `rows` (missing rows or cells stay
    // empty). The undo history starts afresh.
    void SetRows(const std::vector<TableRow>& rows);
    // Changes every cell whose text differs from `rows` as one edit of the user: one undo step,
    // and a change for the discard question.
    void EditRows(const std::vector<TableRow>& rows, const QString& stepName);
    // The texts of every data cell, row by row (an open cell editor's text included once it
    // has been committed with CommitOpenEditor).
    std::vector<TableRow> Rows() const;
    // Ends an open cell editor, keeping what was typed in it.
    void CommitOpenEditor();

    // Grid column of a data column, and the other way round.
    static int GridColumn(size_t dataColumn) { return static_cast<int>(dataColumn) + 1; }

    // Width that shows every column without a horizontal scroll bar.
    int FullWidth() const;
    const TableLayout& Layout() const { return layout_; }

    // The changes made since SetRows, one step per edit (a Delete of several cells is one).
    QUndoStack* History() const { return history_; }
    // Shows `text` in a cell as an undo or redo step does, and makes the cell current.
    void RestoreCell(int row, int column, const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void SetCell(int row, int column, const QString& text);
    void FitColumns();
    bool AtEdge(bool forward) const;
    void LeaveGrid(bool forward);
    void RecordChange(QTableWidgetItem* cell);

    TableLayout layout_;
    QUndoStack* history_;
    std::vector<std::vector<QString>> recorded_;  // each cell's text as the history last saw it
    bool restoring_ = false;                      // a change the history makes itself
};

}  // namespace kestrova
