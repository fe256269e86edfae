#include "core/editors/editor_commit.h"

#include <exception>

namespace kestrova {

bool CommitEdits(Dialogs& dialogs, const std::optional<std::string>& failure, const std::function<void()>& write) {
    if (failure) {
        dialogs.ShowMessage(MessageKind::Error, *failure);
        return false;
    }
    return RunGuarded(dialogs, write);
}

bool CommitLoadedDocument(Dialogs& dialogs, const std::optional<std::string>& failure,
                          const std::string& projectDirectory, const LoadedDocument& loaded,
                          const std::function<void()>& write) {
    bool written = false;
    return CommitEdits(dialogs, failure,
                       [&] { written = SaveLoadedDocument(dialogs, projectDirectory, loaded, write); }) &&
           written;
}

bool CommitLoadedRows(Dialogs& dialogs, const std::string& projectDirectory, const LoadedDocument& loaded,
                      const RowsRead& rows, const std::function<void()>& write) {
    return MayWritePartlyRead(dialogs, loaded.Path(), rows) &&
           CommitLoadedDocument(dialogs, std::nullopt, projectDirectory, loaded, write);
}

bool LoadForShowing(Dialogs& dialogs, const std::function<void()>& load) {
    try {
        load();
        return true;
    } catch (const std::exception& error) {
        dialogs.ShowMessage(MessageKind::Error, error.what());
    }
    return false;
}

bool MayDiscardEdits(Dialogs& dialogs, bool changed) { return !changed || dialogs.AskYesNo(kDiscardChangesQuestion); }

}  // namespace kestrova
