#pragma once

#include "gui/editors/frame_mapping_window.h"

namespace kestrova {

// "Send Frames Info": the position of the fieldbus output data each data byte of a send frame
// is taken from (Send_Info.xml). A byte field is checked at every change of its text, and
// several bytes may share a position.
class TF_Sen_Info : public FrameMappingWindow {
    Q_OBJECT
public:
    TF_Sen_Info(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace kestrova
