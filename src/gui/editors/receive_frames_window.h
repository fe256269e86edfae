#pragma once

#include "gui/editors/table_editor_window.h"

namespace kestrova {

// "Receive Frames": the J1939 frames the gateway receives (Receive_Frame.xml), 30 rows.
class TFSetVar : public TableEditorWindow {
    Q_OBJECT
public:
    TFSetVar(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace kestrova
