#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "core/canopen/stored_pdo.h"
#include "core/project/dialogs.h"
#include "core/project/loaded_document.h"
#include "core/project/project_context.h"

class QButtonGroup;
class QLineEdit;
class QListWidget;

namespace kestrova {

// "Define Store PDO": the SDOs attached to the PDOs of both bridge sides (sdopdo.xml), with
// the PDO list of rpdodef.xml and the SDO access rows of sdo.xml.
class TFInfopdo : public QDialog {
    Q_OBJECT
public:
    TFInfopdo(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);

    void ShowModal();
    // The show handler: clears both pages and reads the three documents.
    void Reload();

    // Handlers, public so that tests drive them as the lists and buttons do.
    void PdoClick(CanSide side, int row);
    void SdoClick(CanSide side, int row);
    void NewSdoClick(CanSide side);
    void ModifySdoClick(CanSide side);
    void DeleteSdoClick(CanSide side);
    void CopySdoClick(CanSide side);
    void PasteSdoClick(CanSide side);
    void OkClick();
    void ExportClick();
    void ImportClick();

    const StoredPdoPages& Pages() const { return pages_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One of the two "Selected PDO Byte" groups: "none", "B1" to "B8". A stored half of 9 to
    // 15 checks no item and is kept until an item is chosen.
    struct ByteGroup {
        QButtonGroup* buttons = nullptr;
        int held = 0;
        void Set(int value);
        int Value() const;
    };
    struct Page {
        QListWidget* sdoList;
        QListWidget* pdoList;
        QLineEdit* index;
        QLineEdit* subindex;
        ByteGroup high;
        ByteGroup low;
    };
    struct CopyBuffer {
        std::string index, subindex, byteSelection;
    };

    QWidget* MakePage(CanSide side);
    void ClearPageFields(Page& page);
    int SelectedRow(const QListWidget* list) const;
    TClSdo FieldsSdo(const Page& page) const;
    void ShowByteSelection(Page& page, const std::string& text);
    Page& PageOf(CanSide side) { return controls_[SideIndex(side)]; }

    ProjectContext& context_;
    Dialogs& dialogs_;
    StoredPdoPages pages_;
    LoadedDocument loaded_;  // sdopdo.xml as the show found it
    RowsRead rowsRead_;      // how much of its rows the show took over
    std::array<Page, 2> controls_{};
    std::array<CopyBuffer, 2> copyBuffers_;  // kept for the whole run
    bool filling_ = false;                   // lists being filled: their row changes are no clicks
    bool rowChangedSincePress_ = false;      // the last mouse press already chose a new item
};

}  // namespace kestrova
