#include "gui/editors/receive_info_window.h"

namespace kestrova {

TF_Rec_Info::TF_Rec_Info(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : FrameMappingWindow(ReceiveFrameMapping(), context, dialogs, parent) {
    setObjectName("TF_Rec_Info");
}

}  // namespace kestrova
