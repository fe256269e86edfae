#pragma once

#include <QDialog>
#include <array>

#include "core/canopen/emcy_translation.h"
#include "core/project/dialogs.h"
#include "core/project/loaded_document.h"
#include "core/project/project_context.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QTabWidget;

namespace kestrova {

// "Set Traslate EMCY": the EMCY translation entries of both bridge sides (emcydef.xml), a
// list of entries and the fields of the selected one per page.
class TFemcy : public QDialog {
    Q_OBJECT
public:
    TFemcy(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    void ShowModal();
    // The show handler: clears both pages and loads the document.
    void Reload();

    // Handlers, public so that tests drive them as the buttons do.
    void ListClick(CanSide side, int row);
    void NewClick(CanSide side);
    void ModifyClick(CanSide side);
    void DeleteClick(CanSide side);
    void OkClick();
    void ExportClick();
    void ImportClick();

    const EmcyPages& Pages() const { return pages_; }
    QTabWidget* Tabs() const { return tabs_; }
    QListWidget* List(CanSide side) const { return widgets_[SideIndex(side)].list; }
    QLineEdit* Field(CanSide side, EmcyText text) const { return widgets_[SideIndex(side)].fields[text]; }
    QCheckBox* Enabled(CanSide side) const { return widgets_[SideIndex(side)].enabled; }
    QButtonGroup* Placement(CanSide side) const { return widgets_[SideIndex(side)].placement; }

private:
    struct PageWidgets {
        QListWidget* list;
        std::array<QLineEdit*, kEmcyTextCount> fields;
        QCheckBox* enabled;
        QButtonGroup* placement;
    };

    QWidget* MakePage(CanSide side);
    void ClearPage(CanSide side);
    void ShowPages();
    void ShowEntry(CanSide side, const TClEmcy& entry);
    EmcyForm FormOf(CanSide side) const;
    void ShowRefusal(const std::optional<std::string>& refusal);

    ProjectContext& context_;
    Dialogs& dialogs_;
    QTabWidget* tabs_;
    std::array<PageWidgets, 2> widgets_{};
    EmcyPages pages_;
    LoadedDocument loaded_;  // emcydef.xml as the show found it
    RowsRead rowsRead_;      // how much of it the show took over
};

}  // namespace kestrova
