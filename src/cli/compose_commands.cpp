// kestrova-cli compose: the S-record firmware composer.
#include <cstdio>
#include <optional>

#include "cli_commands.h"
#include "cli_support.h"
#include "core/device/srecord_composer.h"
#include "core/project/project_context.h"

namespace kestrova::cli {
namespace {

// "1,2" -> banks 1 and 2; an empty text selects none. Nothing for anything else.
std::optional<std::array<bool, kBankCount>> ParseBanks(const std::string& text) {
    std::array<bool, kBankCount> banks{};
    if (text.empty()) return banks;
    size_t at = 0;
    for (;;) {
        const size_t comma = text.find(',', at);
        const std::string word = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        if (word.size() != 1 || word[0] < '1' || word[0] > '0' + kBankCount || banks[word[0] - '1'])
            return std::nullopt;
        banks[word[0] - '1'] = true;
        if (comma == std::string::npos) return banks;
        at = comma + 1;
    }
}

int RunCompose(const std::vector<std::string>& arguments) {
    const ProjectContext context = ProjectAt(Positionals(arguments).at(0));
    ComposerSettings settings = DefaultComposerSettings(context);
    if (const auto base = OptionValue(arguments, "--base")) {
        settings.baseFirmware = *base;
        settings.newFileName = NewFileNameFor(*base);
    }
    if (const auto directory = OptionValue(arguments, "--bin-dir")) settings.bankDirectory = WithSeparator(*directory);
    if (const auto banks = OptionValue(arguments, "--banks")) {
        const auto parsed = ParseBanks(*banks);
        if (!parsed) {
            std::fprintf(stderr, "kestrova-cli compose: --banks takes bank numbers 1 to %d separated by commas\n",
                         kBankCount);
            return kUsage;
        }
        settings.banks = *parsed;
    }
    if (const auto name = OptionValue(arguments, "--out")) settings.newFileName = *name;

    ConsoleDialogs dialogs;
    const ComposeReport report = ComposeFirmware(settings, dialogs);
    for (int bank = 1; bank <= report.stages; ++bank)
        std::printf("%s\n", BankOutcomeText(bank, report.banks[bank - 1]).c_str());
    if (!report.produced) return kRefused;
    std::printf("new firmware written to %s\n", report.newFile.c_str());
    return kDone;
}

}  // namespace

std::vector<Command> ComposeCommands() {
    return {
        {"compose", "PROJECT_DIR [--base F] [--bin-dir D] [--banks 1,2] [--out NAME]",
         "merge bank binaries into a new S-record firmware file",
         "Composes a new S-record firmware file in PROJECT_DIR, as the Generate Firmware window\n"
         "does: the records of the base firmware in each selected bank's range (bank n from\n"
         "0x388000 + (n-1) * 0x10000, 16,384 bytes) are replaced, at the first of them, by 512 S2\n"
         "records made from bankN.bin (a shorter binary is padded with 0xFF). Prints each bank's\n"
         "result; exits with 1 when the composition stopped (the new file is then not written).\n"
         "A base record crossing an end of a bank keeps its bytes outside the bank; a count record\n"
         "(S5, S6) is rewritten; S7, S8 or S9 ends the file; empty lines are skipped; a line that\n"
         "is not an S-record stops the run with its number. Nothing is written over the base, a\n"
         "project document, a folder or a file named like a stage file (\xC2\xB0"
         "B1\xC2\xB0.sx).\n"
         "  --base F      the base firmware (default MASTER/sx51904.sx of the workspace)\n"
         "  --bin-dir D   the directory of bank1.bin to bank5.bin (default PROJECT_DIR/bin)\n"
         "  --banks LIST  the banks to merge, e.g. 1,2 (default 1,2); an empty list merges none\n"
         "  --out NAME    the new file's name in PROJECT_DIR (default New_ and the base's name)\n",
         RunCompose},
    };
}

}  // namespace kestrova::cli
