#pragma once

#include "core/project/dialogs.h"
#include "core/project/project_context.h"

namespace kestrova {

// The save dialog of the GSD command.
inline constexpr const char* kGsdFileFilter = "Generic Station Description (*.gsd)|*.gsd";

// "GSD File", after the main window's project check: the limits check (its refusal in an
// error box), the save dialog starting in the project directory (cancel stops silently), then
// the GSD file at the chosen path, replacing an existing file without a question. Failures to
// read documents or write the file are thrown as Error.
void RunGsdCommand(const ProjectContext& context, Dialogs& dialogs);

// "Update Device" up to the update dialog: "Project not valid" when no project directory is
// set, the limits check, then bin/bank.bin built and written. Returns true when the update
// dialog should open now. Failures to read documents or write the file are thrown as Error
// (an earlier bank.bin then stays as it was).
bool PrepareDeviceUpdate(const ProjectContext& context, Dialogs& dialogs);

}  // namespace kestrova
