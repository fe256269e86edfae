#pragma once

#include <QDialog>
#include <QIcon>
#include <array>
#include <optional>

#include "core/canopen/emcy_word.h"
#include "core/project/dialogs.h"
#include "core/project/loaded_document.h"
#include "core/project/project_context.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrova {

// "Define EMCY Word": the EMCY words of both bridge sides (emcyword.xml), one tree of words
// and their 16 bits per page.
class TFWemcy : public QDialog {
    Q_OBJECT
public:
    TFWemcy(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    void ShowModal();
    // The show handler: clears both pages and loads the document.
    void Reload();

    // Handlers, public so that tests drive them as the buttons do.
    void NewClick(CanSide side);
    void ModifyClick(CanSide side);
    void DeleteClick(CanSide side);
    void OkClick();
    void ExportClick();
    void ImportClick();

    const EmcyWordPages& Words() const { return words_; }

private:
    struct Page {
        QTreeWidget* tree;
        QGroupBox* wordGroup;
        QGroupBox* bitGroup;
        QLineEdit* index;
        QLineEdit* subindex;
        QLineEdit* id;
        QLineEdit* maskByte1;
        QLineEdit* maskByte2;
        QLineEdit* emcyByte1;
        QLineEdit* emcyByte2;
    };

    QWidget* MakePage(CanSide side);
    void ClearPages();
    void FillTrees();
    void AddWordNode(CanSide side, const TClWEmcy& word);
    // The selected node's position among all nodes of the page's tree; nothing when none.
    std::optional<size_t> SelectedPosition(CanSide side) const;
    void ShowNode(CanSide side);
    Page& PageOf(CanSide side) { return pages_[SideIndex(side)]; }

    ProjectContext& context_;
    Dialogs& dialogs_;
    EmcyWordPages words_;
    LoadedDocument loaded_;  // emcyword.xml as the show found it
    RowsRead rowsRead_;      // how much of it the show took over
    std::array<Page, 2> pages_{};
    QTabWidget* tabs_;
    std::array<QIcon, 2> icons_;  // word node, bit node (each with its selected image)
};

}  // namespace kestrova
