#pragma once

#include <QApplication>
#include <QTest>

#include "core/project/project_context.h"
#include "gui/editors/editor_grid.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"

namespace kestrova::testing {

// A context whose project directory is `directory`, as "Open project" leaves it.
inline ProjectContext ContextIn(const std::string& directory) {
    ProjectContext context;
    context.projectDirectory = directory;
    context.DeriveDocumentPaths();
    return context;
}

// An editor window on an empty project in a fresh directory, its messages recorded.
template <typename Window>
struct EditorOnProject {
    TempDir dir;
    ProjectContext context = ContextIn(dir.path());
    RecordingDialogs dialogs;
    Window window{context, dialogs};
    std::string LastMessage() const { return dialogs.messages.empty() ? "" : dialogs.messages.back().text; }
};

// Types `text` into a data cell as a user does: the first key opens the cell's editor over
// the old text, the rest goes into the editor, Return ends the edit.
inline void TypeInCell(EditorGrid* grid, int row, size_t dataColumn, const QString& text) {
    grid->setCurrentCell(row, EditorGrid::GridColumn(dataColumn));
    QTest::keyClicks(grid, text.left(1));
    QWidget* editor = grid->indexWidget(grid->currentIndex());
    if (!editor) return;
    QWidget* target = editor->focusProxy() ? editor->focusProxy() : editor;
    QTest::keyClicks(target, text.mid(1));
    QTest::keyClick(target, Qt::Key_Return);
    QCoreApplication::processEvents();  // the commit of the edit is queued
}

// Presses a key on a cell without opening an editor first (space on a check-box cell).
inline void KeyOnCell(EditorGrid* grid, int row, size_t dataColumn, Qt::Key key) {
    grid->setCurrentCell(row, EditorGrid::GridColumn(dataColumn));
    QTest::keyClick(grid, key);
}

inline QString CellAt(EditorGrid* grid, int row, size_t dataColumn) {
    const auto* cell = grid->item(row, EditorGrid::GridColumn(dataColumn));
    return cell ? cell->text() : QString();
}

}  // namespace kestrova::testing
