#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/project/dialogs.h"

namespace kestrova {

// What an editor's OK does once its checks have run: the first failure (`failure`) is shown
// in an error box and nothing is written; otherwise `write` rewrites the document, and a
// failure it throws is shown by the general error handler. True only when the document was
// written, i.e. when the editor may close.
bool CommitEdits(Dialogs& dialogs, const std::optional<std::string>& failure, const std::function<void()>& write);

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
