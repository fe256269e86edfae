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
// read whole is reported by the general error handler. True when the editor may open.
bool LoadForShowing(Dialogs& dialogs, const std::function<void()>& load);

}  // namespace kestrova
