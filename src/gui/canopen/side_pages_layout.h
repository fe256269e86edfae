#pragma once

#include <functional>

class QDialog;
class QTabWidget;

namespace kestrova {

// What the button row of a CANopen bridge window runs.
struct SidePagesActions {
    std::function<void()> ok, cancel, exportFile, importFile;
};

// The frame the CANopen bridge windows share: the pages of side A and side B above a row of
// "OK", "Cancel", "Export" and "Import" (okButton, cancelButton, exportButton, importButton).
// Lays out the buttons of the pages too, so call it once the pages are made: it ends with
// KeepEnterInFields.
void LayOutSidePages(QDialog& dialog, QTabWidget* pages, const SidePagesActions& actions);

// Enter in a field of the window takes the field and presses no button: no button of the
// window is its default, nor becomes it when it gets the focus (a dialog otherwise makes its
// first such button the default, so Enter would press "Delete" or "OK"). A button is pressed
// with the mouse or, once focused, the space bar.
void KeepEnterInFields(QDialog& dialog);

}  // namespace kestrova
