#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/project/dialogs.h"

class QLabel;
class QTableWidget;

namespace kestrova {

// "Select String": picks one of up to 1000 strings of an XML document by its index; the index
// is kept for the whole run.
class TFSELstringhe : public QDialog {
    Q_OBJECT
public:
    explicit TFSELstringhe(Dialogs& dialogs, QWidget* parent = nullptr);

    // Set by a caller that uses the window; empty in this configuration.
    void SetStringsPath(const std::string& path) { stringsPath_ = path; }
    // The picked index, read by the caller after OK.
    int SelectedIndex() const { return selectedIndex_; }

    // FormShow, then modal; returns the dialog's result.
    int ShowModal();
    void FormShow();
    QTableWidget* Grid() const { return grid_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void SelectCell(int row);

    Dialogs& dialogs_;
    std::string stringsPath_;
    int selectedIndex_ = 0;
    std::vector<std::string> strings_;
    QTableWidget* grid_;
    QLabel* selected_;
};

}  // namespace kestrova
