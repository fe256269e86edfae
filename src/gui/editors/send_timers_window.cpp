#include "gui/editors/send_timers_window.h"

#include "core/editors/send_timers.h"

namespace kestrova {

TFpdo::TFpdo(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : TableEditorWindow(
          {"Send Timer", SendTimersLayout(), &DocumentPaths::timerDef, LoadSendTimers, CheckSendTimers, SaveSendTimers},
          context, dialogs, parent) {
    setObjectName("TFpdo");
}

}  // namespace kestrova
