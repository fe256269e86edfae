#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/editors/editor_table.h"
#include "core/project/dialogs.h"
#include "core/project/loaded_document.h"
#include "core/project/project_context.h"

class QPushButton;

namespace kestrova {

class EditorGrid;

// What a list editor does with its document: the core model of one table window.
struct TableEditorModel {
    std::string title;
    TableLayout layout;
    std::string DocumentPaths::*document;  // which project document, read when it is needed
    std::function<std::vector<TableRow>(const std::string&)> load;
    std::function<std::optional<std::string>(const std::vector<TableRow>&)> check;
    std::function<void(const std::string&, const std::vector<TableRow>&)> save;
};

// The common window of the list editors: the grid above "OK" and "Cancel". Every showing
// reloads the document; OK writes it only when every check passes; Cancel, Escape and the
// close box write nothing (Escape and the close box ask first when the grid was changed).
class TableEditorWindow : public QDialog {
    Q_OBJECT
public:
    TableEditorWindow(TableEditorModel model, ProjectContext& context, Dialogs& dialogs, QWidget* parent);

    // Reloads from the current project's document and shows the window modally. A document
    // that cannot be read whole is reported and the window does not open.
    void ShowModal();
    // The same with row `row` (from 1) current and selected, where the grid has it; true when
    // the window ended with OK.
    bool ShowModalAt(int row);
    // The show handler alone: fills the grid from the document. False (reported) when the
    // document cannot be read whole; the grid is then left empty.
    bool Reload();

    EditorGrid* Grid() const { return grid_; }
    void OkClick();
    // One more button, left of "OK", that runs `action` (a window's own command beside its grid).
    QPushButton* AddButton(const QString& text, const QString& objectName, std::function<void()> action);

    // Escape and the close box: "Discard the changes?" when the grid differs from the document.
    void reject() override;

private:
    TableEditorModel model_;
    ProjectContext& context_;
    Dialogs& dialogs_;
    EditorGrid* grid_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    std::vector<TableRow> loadedRows_;  // the grid as the document filled it
    LoadedDocument loaded_;             // the document's file as the show found it
};

}  // namespace kestrova
