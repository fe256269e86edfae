#pragma once

#include <QDialog>
#include <array>

#include "core/canopen/sdo_access.h"
#include "core/project/dialogs.h"
#include "core/project/project_context.h"

class QLabel;
class QTabWidget;

namespace kestrova {

class EditorGrid;

// "Set SDO Access": the SDO access tables of both bridge sides (the project's sdo.xml, read
// only), one grid of 1500 rows per page. OK writes nothing; the tables leave the window
// through Export.
class TFsdo : public QDialog {
    Q_OBJECT
public:
    TFsdo(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    void ShowModal();
    // The show handler: empties both grids and fills them from the document.
    void Reload();

    void ExportClick();
    void ImportClick();

    EditorGrid* Grid(CanSide side) const { return pages_[SideIndex(side)].grid; }
    QTabWidget* Pages() const { return tabs_; }
    // The texts of both grids, an open cell editor's text included.
    SdoAccessTables Tables() const;

protected:
    // A grid that changes its size lays out its columns and heading bands again.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Page {
        QLabel* leftBand;
        QLabel* rightBand;
        EditorGrid* grid;
    };
    QWidget* MakePage(CanSide side);
    void ShowTables(const SdoAccessTables& tables);
    void LayOutColumns(Page& page);

    ProjectContext& context_;
    Dialogs& dialogs_;
    QTabWidget* tabs_;
    std::array<Page, 2> pages_{};
};

}  // namespace kestrova
