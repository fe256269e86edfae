// kestrova-cli dbc-list, dbc-import: J1939 frames from a DBC file.
#include <cstdio>

#include "cli_commands.h"
#include "cli_support.h"
#include "core/dbc/dbc_file.h"
#include "core/dbc/dbc_import.h"
#include "core/project/project_lock.h"

namespace kestrova::cli {
namespace {

std::vector<std::string> CommaList(const std::optional<std::string>& text) {
    std::vector<std::string> items;
    if (!text) return items;
    size_t at = 0;
    while (true) {
        const size_t comma = text->find(',', at);
        items.push_back(text->substr(at, comma == std::string::npos ? std::string::npos : comma - at));
        if (comma == std::string::npos) return items;
        at = comma + 1;
    }
}

int RunDbcList(const std::vector<std::string>& arguments) {
    const DbcFile dbc = ReadDbcFile(Positionals(arguments).at(0));
    std::fputs((HasFlag(arguments, "--csv") ? DbcListCsv(dbc) : DbcListText(dbc)).c_str(), stdout);
    return kDone;
}

void PrintAdded(const char* document, const std::vector<std::pair<std::string, size_t>>& rows) {
    for (const auto& [name, row] : rows) std::printf("%s: row %zu %s\n", document, row + 1, name.c_str());
}

int RunDbcImport(const std::vector<std::string>& arguments) {
    const auto receive = CommaList(OptionValue(arguments, "--receive"));
    const auto send = CommaList(OptionValue(arguments, "--send"));
    if (receive.empty() && send.empty()) {
        std::fprintf(stderr, "kestrova-cli dbc-import: name the messages to import with --receive or --send\n");
        return kUsage;
    }
    const auto positionals = Positionals(arguments);
    const ProjectContext context = ProjectAt(positionals.at(0));
    const DbcFile dbc = ReadDbcFile(positionals.at(1));
    const ProjectLock lock(context.projectDirectory);  // the lists are read, appended to and written whole
    const DbcImportResult result = ImportDbcMessages(context, dbc, receive, send);
    PrintAdded("Receive_Frame.xml", result.receiveRows);
    PrintAdded("Send_Frame.xml", result.sendRows);
    return kDone;
}

}  // namespace

std::vector<Command> DbcCommands() {
    return {
        {"dbc-list", "FILE.dbc [--csv]", "the messages of a DBC file with their J1939 identity",
         "Lists the messages of a DBC file (a CAN database), one line each: name, identifier in\n"
         "hexadecimal, priority, data page, PGN, source address and length in bytes; 11-bit\n"
         "frames and frames with the extended data page set are marked \"not a J1939 frame\".\n"
         "  --csv   comma-separated values with a header line, for a spreadsheet\n",
         RunDbcList},
        {"dbc-import", "PROJECT_DIR FILE.dbc [--receive NAME,...] [--send NAME,...]",
         "append DBC messages to the receive and send frame lists",
         "Appends messages of a DBC file to Receive_Frame.xml (--receive) and Send_Frame.xml\n"
         "(--send) of the project, as rows the Receive Frames and Send Frames windows show. A\n"
         "message is named as in the DBC file, or by its PGN (0xFEF1; 0x1FEF1 on data page 1),\n"
         "which takes every message of that PGN. Receive frames longer than 8 bytes use the\n"
         "transport protocol; send frames cannot be longer than 8 bytes. The lists must then pass\n"
         "the checks of the windows' OK (30 rows, 244 bytes of input data, ranges); otherwise the\n"
         "first failure is printed, nothing is written and the exit status is 1. Runs on one\n"
         "project take turns (see the project lock in the README).\n",
         RunDbcImport},
    };
}

}  // namespace kestrova::cli
