#pragma once

#include <QDialog>
#include <vector>

#include "core/dbc/dbc_file.h"
#include "core/dbc/dbc_import.h"
#include "core/project/dialogs.h"
#include "core/project/project_context.h"

class QLineEdit;
class QTreeWidget;

namespace kestrova {

class TableEditorWindow;

// "Import DBC": the messages of a DBC file with name, PGN, source address and length, a check
// box each; messages the frame list cannot take are shown disabled with the reason. A filter
// field shows only the messages whose name, PGN, comment or signals hold its text.
class DbcImportDialog : public QDialog {
    Q_OBJECT
public:
    DbcImportDialog(const DbcFile& dbc, FrameList list, QWidget* parent = nullptr);

    // The ticked messages, in file order (also those the filter hides).
    std::vector<DbcMessage> Chosen() const;

    QTreeWidget* MessageList() const { return list_; }
    QLineEdit* Filter() const { return filter_; }

private:
    void ApplyFilter();

    DbcFile dbc_;
    QLineEdit* filter_;
    QTreeWidget* list_;
};

// The "Import DBC..." button of a frame editor: asks for a DBC file, lets the user tick its
// messages and puts their rows into the first empty rows of the editor's grid. Nothing is
// written: the editor's OK checks and saves as always.
void ImportDbcIntoEditor(TableEditorWindow& editor, FrameList list, const ProjectContext& context, Dialogs& dialogs);

}  // namespace kestrova
