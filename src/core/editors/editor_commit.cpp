#include "core/editors/editor_commit.h"

namespace kestrova {

bool CommitEdits(Dialogs& dialogs, const std::optional<std::string>& failure, const std::function<void()>& write) {
    if (failure) {
        dialogs.ShowMessage(MessageKind::Error, *failure);
        return false;
    }
    return RunGuarded(dialogs, write);
}

bool LoadForShowing(Dialogs& dialogs, const std::function<void()>& load) { return RunGuarded(dialogs, load); }

}  // namespace kestrova
