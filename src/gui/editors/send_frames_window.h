#pragma once

#include "gui/editors/table_editor_window.h"

namespace kestrova {

// "Send Frames": the J1939 frames the gateway sends (Send_Frame.xml), 30 rows.
class TFSetPdo : public TableEditorWindow {
    Q_OBJECT
public:
    TFSetPdo(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace kestrova
