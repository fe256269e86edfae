#include "gui/editors/send_frames_window.h"

#include "core/editors/send_frames.h"

namespace kestrova {

TFSetPdo::TFSetPdo(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : TableEditorWindow({"Send Frames", SendFramesLayout(), &DocumentPaths::sendFrame, LoadSendFrames, CheckSendFrames,
                         SaveSendFrames},
                        context, dialogs, parent) {
    setObjectName("TFSetPdo");
}

}  // namespace kestrova
