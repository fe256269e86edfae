#include "gui/editors/send_info_window.h"

namespace kestrova {

TF_Sen_Info::TF_Sen_Info(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : FrameMappingWindow(SendFrameMapping(), context, dialogs, parent) {
    setObjectName("TF_Sen_Info");
}

}  // namespace kestrova
