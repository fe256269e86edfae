#pragma once

#include "gui/editors/table_editor_window.h"

namespace kestrova {

// "Send Timer": the intervals of the send timers T1 to T10 (TimerDef.xml).
class TFpdo : public TableEditorWindow {
    Q_OBJECT
public:
    TFpdo(ProjectContext& context, Dialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace kestrova
