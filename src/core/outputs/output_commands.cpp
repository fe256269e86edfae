#include "core/outputs/output_commands.h"

#include "core/outputs/bank_image.h"
#include "core/outputs/gsd_file.h"
#include "core/outputs/project_limits.h"
#include "core/project/workspace.h"

namespace kestrova {

void RunGsdCommand(const ProjectContext& context, Dialogs& dialogs) {
    if (!CheckProjectOpen(context, dialogs) || !CheckProjectLimits(context, dialogs)) return;
    const auto path = dialogs.ChooseSaveFile(context.projectDirectory, kGsdFileFilter);
    if (!path) return;
    WriteGsdFile(context, *path);
}

bool PrepareDeviceUpdate(const ProjectContext& context, Dialogs& dialogs) {
    if (!CheckProjectOpen(context, dialogs) || !CheckProjectLimits(context, dialogs)) return false;
    WriteBankImage(context, BuildBankImage(context));
    return true;
}

}  // namespace kestrova
