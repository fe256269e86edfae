#pragma once

#include "gui/editors/frame_mapping_window.h"

namespace kestrova {

// "Receive Frames Info": the position of the fieldbus input data each data byte of a receive
// frame goes to (Receive_Info.xml). A byte field is checked when it loses the focus; OK
// refuses two bytes on one position.
class TF_Rec_Info : public FrameMappingWindow {
    Q_OBJECT
public:
    TF_Rec_Info(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace kestrova
