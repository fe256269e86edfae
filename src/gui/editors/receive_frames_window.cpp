#include "gui/editors/receive_frames_window.h"

#include "core/editors/receive_frames.h"
#include "gui/dbc/dbc_import_dialog.h"

namespace kestrova {

TFSetVar::TFSetVar(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : TableEditorWindow({"Receive Frames", ReceiveFramesLayout(), &DocumentPaths::receiveFrame, LoadReceiveFrames,
                         CheckReceiveFrames, SaveReceiveFrames},
                        context, dialogs, parent) {
    setObjectName("TFSetVar");
    AddButton("Import DBC...", "importDbcButton",
              [this, &context, &dialogs] { ImportDbcIntoEditor(*this, FrameList::Receive, context, dialogs); });
}

}  // namespace kestrova
