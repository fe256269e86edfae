#include "gui/editors/send_frames_window.h"

#include "core/editors/send_frames.h"
#include "gui/dbc/dbc_import_dialog.h"

namespace kestrova {

TFSetPdo::TFSetPdo(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : TableEditorWindow({"Send Frames", SendFramesLayout(), &DocumentPaths::sendFrame, LoadSendFrames, CheckSendFrames,
                         SaveSendFrames},
                        context, dialogs, parent) {
    setObjectName("TFSetPdo");
    AddButton("Import DBC...", "importDbcButton",
              [this, &context, &dialogs] { ImportDbcIntoEditor(*this, FrameList::Send, context, dialogs); });
}

}  // namespace kestrova
