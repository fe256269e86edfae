#pragma once

#include <string>
#include <vector>

#include "core/project/dialogs.h"

namespace kestrova {

// The Select String table: indices 0 to 999.
inline constexpr size_t kSelectStringCount = 1000;

// Puts the text of child i of the strings document's root into strings[i], for the first 1000
// children; entries the document does not reach keep what they held. A missing document shows
// "File strings XML not found", one that cannot be read "Error in reading file XML".
void ReadSelectStrings(const std::string& path, std::vector<std::string>& strings, Dialogs& dialogs);

}  // namespace kestrova
