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

// "Import DBC": the messages of a DBC file with name, PGN, destination address (PDU1), source
// address, length, a check box each; messages the frame list cannot take are shown disabled
// with the reason. The source address of a message can be edited (by default the one of its
// identifier). A filter field shows only the messages whose name, PGN, comment or signals hold
// its text. OK puts the ticked messages into the first empty rows of a copy of the editor's
// table; a refusal (a source address the list cannot take, a frame the list already holds or
// ticked twice, too few empty rows) is shown and the dialog stays open.
class DbcImportDialog : public QDialog {
    Q_OBJECT
public:
    DbcImportDialog(const DbcFile& dbc, FrameList list, std::vector<TableRow> table, Dialogs& dialogs,
                    QWidget* parent = nullptr);

    // The ticked messages with their source addresses, in file order (also those the filter hides).
    std::vector<ChosenMessage> Chosen() const;
    // After OK: the editor's table with the rows of the ticked messages.
    const std::vector<TableRow>& Table() const { return table_; }

    QTreeWidget* MessageList() const { return list_; }
    QLineEdit* Filter() const { return filter_; }

    void accept() override;

private:
    void ApplyFilter();

    DbcFile dbc_;
    FrameList frameList_;
    std::vector<TableRow> table_;
    Dialogs& dialogs_;
    QLineEdit* filter_;
    QTreeWidget* list_;
};

// The "Import DBC..." button of a frame editor: asks for a DBC file, lets the user tick its
// messages and puts their rows into the first empty rows of the editor's grid. Nothing is
// written: the editor's OK checks and saves as always.
void ImportDbcIntoEditor(TableEditorWindow& editor, FrameList list, const ProjectContext& context, Dialogs& dialogs);

}  // namespace kestrova
