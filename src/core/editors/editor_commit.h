#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/project/dialogs.h"
#include "core/project/loaded_document.h"

namespace kestrova {

// What an editor's OK does once its checks have run: the first failure (`failure`) is shown
// in an error box and nothing is written; otherwise `write` rewrites the document, and a
// failure it throws is shown by the general error handler. True only when the document was
// written, i.e. when the editor may close.
bool CommitEdits(Dialogs& dialogs, const std::optional<std::string>& failure, const std::function<void()>& write);

// CommitEdits for the document the editor loaded on its show: the write holds the lock of the
// project in `projectDirectory` and, when another program changed the document since the show,
// runs only after Yes to ChangedOnDiskQuestion (No: nothing written, the editor stays open).
bool CommitLoadedDocument(Dialogs& dialogs, const std::optional<std::string>& failure,
                          const std::string& projectDirectory, const LoadedDocument& loaded,
                          const std::function<void()>& write);

// OK of a window over a document it may have read only in part (`rows`): MayWritePartlyRead
// first (No: nothing written), then as CommitLoadedDocument without checks.
bool CommitLoadedRows(Dialogs& dialogs, const std::string& projectDirectory, const LoadedDocument& loaded,
                      const RowsRead& rows, const std::function<void()>& write);

// What an editor's show does: `load` fills it from its document; a document that cannot be
// read whole is reported in an error box with the failure's own text. True when the editor
// may open.
bool LoadForShowing(Dialogs& dialogs, const std::function<void()>& load);

// The question an editor asks before it closes on changes that were not saved.
inline constexpr const char* kDiscardChangesQuestion = "Discard the changes?";

// What Escape or the close box of an editor does: an unchanged editor closes at once; a
// changed one closes only when the user answers Yes to "Discard the changes?".
bool MayDiscardEdits(Dialogs& dialogs, bool changed);

}  // namespace kestrova
