#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "core/device/run_and_wait.h"
#include "core/project/dialogs.h"
#include "core/project/project_context.h"

namespace kestrova {

// The external updater and the firmware file it is given.
inline constexpr const char* kUpdaterProgramName = "Ser_48120_Update";
inline constexpr const char* kFirmwareFileName = "sim48120.sim";

// The four choices of the options page; each is a word of the parameter text.
struct UpdateOptions {
    bool firmware = true;      // "FW " / "NO "
    bool readFirmware = true;  // "FR " / "NO "
    bool project = true;       // "PW " / "NO "
    bool readProject = true;   // "PR " / "NO "
};

// The updater beside the executable, and the firmware file in MASTER; both are shipped files,
// looked up in the workspace, beside the executable and in the installed data folder.
std::string UpdaterProgramPath(const ProjectContext& context);
std::string FirmwarePath(const ProjectContext& context);

// The updater's parameter text: the port's device path and a blank, the four words, the quoted
// firmware path and a blank, the quoted bin directory of the project (ending in a separator).
std::string UpdaterParameterText(const std::string& portItem, const UpdateOptions& options,
                                 const std::string& firmwarePath, const std::string& projectDirectory);

// What the user is told after the run: an updater that could not be started (path and reason),
// one still running when the limit passed, a non-zero exit code or an ending signal. A clean
// exit tells nothing.
struct UpdaterMessage {
    MessageKind kind;
    std::string text;
};
std::optional<UpdaterMessage> UpdaterOutcomeMessage(const RunOutcome& outcome, const std::string& programPath,
                                                    std::chrono::milliseconds limit);

// The line of the progress box while the updater runs.
std::string UpdaterProgressText(std::chrono::milliseconds elapsed, std::chrono::milliseconds limit);

}  // namespace kestrova
