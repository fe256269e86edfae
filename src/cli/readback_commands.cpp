// kestrova-cli decode, verify, lint: read back and check.
#include <cstdio>

#include "cli_commands.h"
#include "cli_support.h"
#include "core/readback/bank_image_decoder.h"
#include "core/readback/image_description.h"
#include "core/readback/j1939_lint.h"
#include "core/readback/project_verify.h"
#include "core/outputs/bank_image.h"
#include "core/outputs/module_layout.h"

namespace kestrova::cli {
namespace {

int RunDecode(const std::vector<std::string>& arguments) {
    const BankImage image = ReadBankImageFile(Positionals(arguments).at(0));
    std::fputs((HasFlag(arguments, "--json") ? BankImageJson(image) : BankImageText(image)).c_str(), stdout);
    return kDone;
}

// Prints the differences of one file; true when there are none.
bool Report(const std::string& what, const std::string& path, const std::vector<std::string>& differences) {
    if (differences.empty()) {
        std::printf("%s %s: consistent with the project\n", what.c_str(), path.c_str());
        return true;
    }
    std::printf("%s %s: %zu %s with the project\n", what.c_str(), path.c_str(), differences.size(),
                differences.size() == 1 ? "difference" : "differences");
    for (const auto& difference : differences) std::printf("  %s\n", difference.c_str());
    return false;
}

int RunVerify(const std::vector<std::string>& arguments) {
    const ProjectContext context = ProjectAt(Positionals(arguments).at(0));
    RequireProjectDirectory(context);
    const std::string imagePath = OptionValue(arguments, "--image").value_or(BankImagePath(context));
    const auto gsdPath = OptionValue(arguments, "--gsd");
    // Both files are read and compared before anything is printed, so that a file that cannot
    // be read stops the command with its message alone.
    const auto imageDifferences = VerifyBankImage(context, imagePath);
    const auto gsdDifferences = gsdPath ? VerifyGsdFile(context, *gsdPath) : std::vector<std::string>();
    bool consistent = Report("image", imagePath, imageDifferences);
    if (gsdPath) consistent = Report("GSD file", *gsdPath, gsdDifferences) && consistent;
    return consistent ? kDone : kRefused;
}

int RunLint(const std::vector<std::string>& arguments) {
    const ProjectContext context = ProjectAt(arguments.at(0));
    const auto warnings = LintProject(context);
    for (const auto& warning : warnings) std::printf("%s\n", warning.Text().c_str());
    return warnings.empty() ? kDone : kRefused;
}

}  // namespace

std::vector<Command> ReadBackCommands() {
    return {
        {"decode", "FILE [--json]", "print a configuration image (bank.bin) in words",
         "Reads a configuration image back: the header's section offsets, each receive frame\n"
         "(data page, PGN, source address, transport protocol, start byte, length, data offset,\n"
         "Cancel Data and On Request, request time), each send frame (priority, data page, PGN,\n"
         "source address, on data change or on timer Tn), the parameter block with the texts of\n"
         "the communication window, and the timers in ms. Bytes that are not an image are\n"
         "refused with the first inconsistency and its byte offset.\n"
         "  --json   the same as one JSON document, for scripts\n",
         RunDecode},
        {"verify", "PROJECT_DIR [--image FILE] [--gsd FILE]", "compare bank.bin and a GSD file with the project",
         "Builds the configuration image from the project's documents in memory (writes nothing)\n"
         "and compares it with FILE, by default PROJECT_DIR/bin/bank.bin, listing each difference\n"
         "(\"receive frame 3: PGN 0xFEF2 in the image, 0xFEF1 in the project\").\n"
         "  --image FILE   the image to compare instead of PROJECT_DIR/bin/bank.bin\n"
         "  --gsd FILE     also compare the GSD file's module list and its Max_Module,\n"
         "                 Max_Input_Len, Max_Output_Len and Max_Data_Len lines with the\n"
         "                 project's module layout\n"
         "Exit status 0 when consistent, 1 with differences or a file that cannot be read.\n",
         RunVerify},
        {"lint", "PROJECT_DIR", "J1939 warnings the editors let through",
         "Prints one line per warning, naming the document, the row and the reason: the same data\n"
         "page, PGN and source address twice in a frame list; a send frame on a timer TimerDef.xml\n"
         "does not define; a receive frame from the null (254) or global (255) address; a\n"
         "transport-protocol frame within the first 8 bytes of its message; Receive_Info.xml or\n"
         "Send_Info.xml with another number of rows than their frame list. Exit status 0 without\n"
         "warnings, 1 with warnings.\n",
         RunLint},
    };
}

}  // namespace kestrova::cli
