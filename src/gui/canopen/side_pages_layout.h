#pragma once

#include <functional>

class QDialog;
class QTabWidget;

namespace kestrova {

// What the button row of a CANopen bridge window runs.
struct SidePagesActions {
    std::function<void()> ok, cancel, exportFile, importFile;
    bool okIsDefault = false;  // Enter in a field presses OK
};

// The frame the CANopen bridge windows share: the pages of side A and side B above a row of
// "OK", "Cancel", "Export" and "Import" (okButton, cancelButton, exportButton, importButton).
void LayOutSidePages(QDialog& dialog, QTabWidget* pages, const SidePagesActions& actions);

}  // namespace kestrova
