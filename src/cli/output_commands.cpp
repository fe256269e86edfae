#include "core/outputs/output_commands.h"

#include <cstdio>
#include <optional>

#include "cli_commands.h"
#include "cli_support.h"
#include "core/outputs/bank_image.h"
#include "core/outputs/io_map.h"
#include "core/outputs/project_limits.h"
#include "core/project/dialogs.h"
#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/project_context.h"
#include "core/project/project_lock.h"

namespace kestrova::cli {
namespace {

std::string Bytes(size_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

int RunCheck(const std::vector<std::string>& arguments) {
    const ProjectContext context = ProjectAt(arguments.at(0));
    ConsoleDialogs dialogs;
    if (!CheckProjectLimits(context, dialogs)) return kRefused;
    std::printf("%s: within the gateway's limits\n", context.projectDirectory.c_str());
    return kDone;
}

int RunImage(const std::vector<std::string>& arguments) {
    const ProjectContext context = ProjectAt(arguments.at(0));
    ConsoleDialogs dialogs;
    const ProjectLock lock(context.projectDirectory);  // the image is built from documents no one is changing
    if (!PrepareDeviceUpdate(context, dialogs)) return kRefused;
    const std::string path = BankImagePath(context);
    std::printf("configuration image written to %s (%s)\n", path.c_str(), Bytes(ReadWholeFile(path).size()).c_str());
    return kDone;
}

int RunGsd(const std::vector<std::string>& arguments) {
    const ProjectContext context = ProjectAt(arguments.at(0));
    ConsoleDialogs dialogs;
    dialogs.savePath = arguments.at(1);
    RunGsdCommand(context, dialogs);
    if (dialogs.messages > 0) return kRefused;
    std::printf("GSD file written to %s\n", arguments.at(1).c_str());
    return kDone;
}

int RunMap(const std::vector<std::string>& arguments) {
    const bool csv = HasFlag(arguments, "--csv");
    const ProjectContext context = ProjectAt(Positionals(arguments).at(0));
    ConsoleDialogs dialogs;
    if (!CheckProjectLimits(context, dialogs)) return kRefused;
    const IoMap map = BuildIoMap(context);
    if (csv) {
        std::fputs(IoMapCsv(map).c_str(), stdout);
    } else {
        std::printf("PROFIBUS I/O map of %s\n", context.projectDirectory.c_str());
        std::fputs(IoMapText(map).c_str(), stdout);
    }
    return kDone;
}

}  // namespace

std::vector<Command> OutputCommands() {
    return {
        {"check", "PROJECT_DIR", "limits check; exit 1 with the message when refused",
         "Checks the project against the gateway's limits (module size, number of modules, input\n"
         "data length), as the GSD File and Update Device commands do first. Prints the refusal\n"
         "on stderr and exits with 1 when the project exceeds them.\n",
         RunCheck},
        {"image", "PROJECT_DIR", "check, then write PROJECT_DIR/bin/bank.bin",
         "Runs the limits check, then compiles the project's documents into the configuration\n"
         "image PROJECT_DIR/bin/bank.bin (the bin directory must exist), as Update Device does.\n"
         "An earlier bank.bin is replaced whole, or left as it was when the build fails.\n",
         RunImage},
        {"gsd", "PROJECT_DIR OUT.gsd", "check, then write the GSD file",
         "Runs the limits check, then writes the project's GSD file (Generic Station\n"
         "Description) to OUT.gsd, replacing an existing file, as the GSD File command does.\n",
         RunGsd},
        {"map", "PROJECT_DIR [--csv]", "the PROFIBUS input/output byte map of the project",
         "Runs the limits check, then prints where each frame's data lies in the PROFIBUS input\n"
         "and output data: offset, length, module and slot, J1939 identity and mnemonic, and the\n"
         "send-bit areas. Offsets are those of bank.bin, modules those of the GSD file.\n"
         "  --csv   comma-separated values with a header line, for a spreadsheet\n",
         RunMap},
    };
}

}  // namespace kestrova::cli
