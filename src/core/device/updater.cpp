#include "core/device/updater.h"

#include <cstring>

#include "core/device/serial_port_list.h"
#include "core/project/error.h"
#include "core/project/workspace_location.h"

namespace kestrova {

namespace {

long long Seconds(std::chrono::milliseconds time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time).count();
}

}  // namespace

std::string UpdaterProgramPath(const ProjectContext& context) {
    return FindShippedFile(context, kUpdaterProgramName);
}

std::string FirmwarePath(const ProjectContext& context) {
    return FindShippedFile(context, std::string("MASTER/") + kFirmwareFileName);
}

std::string UpdaterParameterText(const std::string& portItem, const UpdateOptions& options,
                                 const std::string& firmwarePath, const std::string& projectDirectory) {
    std::string text = PortDevicePath(portItem) + " ";
    text += options.firmware ? "FW " : "NO ";
    text += options.readFirmware ? "FR " : "NO ";
    text += options.project ? "PW " : "NO ";
    text += options.readProject ? "PR " : "NO ";
    text += "\"" + firmwarePath + "\" ";
    text += "\"" + projectDirectory + "/bin/\"";
    return text;
}

std::optional<UpdaterMessage> UpdaterOutcomeMessage(const RunOutcome& outcome, const std::string& programPath,
                                                    std::chrono::milliseconds limit) {
    switch (outcome.state) {
        case RunOutcome::State::NotStarted:
            return UpdaterMessage{MessageKind::Error, "The updater \"" + programPath +
                                                          "\" cannot be started: " + SystemReason(outcome.error)};
        case RunOutcome::State::StillRunning:
            return UpdaterMessage{MessageKind::Warning, "The updater is still running after " +
                                                            std::to_string(Seconds(limit)) +
                                                            " seconds; the tool no longer waits for it."};
        case RunOutcome::State::Signalled: {
            const char* name = ::strsignal(outcome.code);
            return UpdaterMessage{MessageKind::Error, "The updater was ended by signal " +
                                                          std::to_string(outcome.code) +
                                                          (name ? std::string(" (") + name + ")." : ".")};
        }
        case RunOutcome::State::Exited:
            if (outcome.code == 0) return std::nullopt;
            return UpdaterMessage{MessageKind::Error,
                                  "The updater ended with exit code " + std::to_string(outcome.code) + "."};
    }
    return std::nullopt;
}

std::string UpdaterProgressText(std::chrono::milliseconds elapsed, std::chrono::milliseconds limit) {
    return "The updater is running: " + std::to_string(Seconds(elapsed)) + " s of at most " +
           std::to_string(Seconds(limit)) + " s.";
}

}  // namespace kestrova
