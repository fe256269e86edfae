#pragma once

#include "core/project/dialogs.h"
#include "core/project/project_context.h"

#include <optional>
#include <string>

namespace kestrova {

// The gateway's limits: a module holds at most 64 bytes, a slave has at most 61 modules and at
// most 244 bytes of input data.
inline constexpr int kMaxModules = 61;
inline constexpr int kMaxInputBytes = 244;

// The refusal of a project the gateway cannot lay out, or nothing when it may be output.
// Reads pargen.xml, Receive_Frame.xml and Send_Frame.xml afresh; changes nothing. Throws
// Error when a document does not parse.
std::optional<std::string> ProjectLimitsRefusal(const ProjectContext& context);

// The check the output commands run first: shows the refusal in an error box and returns
// false, or returns true when the project may be output.
bool CheckProjectLimits(const ProjectContext& context, Dialogs& dialogs);

}  // namespace kestrova
