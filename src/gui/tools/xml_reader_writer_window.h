#pragma once

#include <QDialog>

#include "core/project/dialogs.h"
#include "core/project/project_context.h"
#include "core/tools/xml_tree.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrova {

class TFsaveproj;

// "XML Reader & Writer": any XML file as a tree whose items can be renamed one at a time, and
// written back into the current project directory.
class TFXML : public QDialog {
    Q_OBJECT
public:
    // `nameDialog` is the New-project dialog, used in its Edit XML mode for renaming.
    TFXML(ProjectContext& context, Dialogs& dialogs, TFsaveproj& nameDialog, QWidget* parent = nullptr);

    void ShowModal();

    // Handlers, public so that tests drive them as the buttons and keys do.
    void OpenClick();
    void FullExpandClick();
    void WriteClick();
    void RenameSelected();  // right click on the tree or F2

    QTreeWidget* Tree() const { return tree_; }
    // The tree as the writer sees it: item texts and node types.
    XmlTreeItem Items() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill(const TXMLNodeTable& table);

    ProjectContext& context_;
    Dialogs& dialogs_;
    TFsaveproj& nameDialog_;
    QTreeWidget* tree_;
    QPushButton* openButton_;
    QPushButton* expandButton_;
    QPushButton* writeButton_;
};

}  // namespace kestrova
