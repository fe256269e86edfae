// kestrova-cli dbc-list, dbc-import: J1939 frames from a DBC file.
#include <cstdio>

#include "cli_commands.h"
#include "cli_support.h"
#include "core/dbc/dbc_file.h"
#include "core/dbc/dbc_import.h"
#include "core/project/integer_text.h"
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
    const auto sourceAddress = OptionValue(arguments, "--sa");
    if (sourceAddress) {
        const auto address = TryIntegerText(*sourceAddress);
        if (!address || *address < 0 || *address > 255) {
            std::fprintf(stderr, "kestrova-cli dbc-import: --sa takes a source address from 0 to 255, not '%s'\n",
                         sourceAddress->c_str());
            return kUsage;
        }
    }
    const auto positionals = Positionals(arguments);
    const ProjectContext context = ProjectAt(positionals.at(0));
    const DbcFile dbc = ReadDbcFile(positionals.at(1));
    const ProjectLock lock(context.projectDirectory);  // the lists are read, appended to and written whole
    const DbcImportResult result = ImportDbcMessages(context, dbc, receive, send, sourceAddress);
    PrintAdded("Receive_Frame.xml", result.receiveRows);
    PrintAdded("Send_Frame.xml", result.sendRows);
    return kDone;
}

}  // namespace

std::vector<Command> DbcCommands() {
    return {
        {"dbc-list", "FILE.dbc [--csv]", "the messages of a DBC file with their J1939 identity",
         "Lists the messages of a DBC file (a CAN database), one line each under a heading: name\n"
         "(the full name where the file gives one for a name cut to 32 characters), identifier in\n"
         "hexadecimal, priority, data page (DP), J1939 PGN, destination address (Dest, for a PDU1\n"
         "frame: PDU format below 0xF0), source address (SA) and length in bytes. 11-bit frames\n"
         "and frames with the extended data page set are marked \"not a J1939 frame\"; a message\n"
         "whose own definition is odd (an identifier out of range, a name beginning with a digit,\n"
         "a name used twice) is marked \"not importable\" with its line and the reason.\n"
         "  --csv   comma-separated values with a header line, for a spreadsheet\n",
         RunDbcList},
        {"dbc-import", "PROJECT_DIR FILE.dbc [--receive NAME,...] [--send NAME,...] [--sa N]",
         "append DBC messages to the receive and send frame lists",
         "Appends messages of a DBC file to Receive_Frame.xml (--receive) and Send_Frame.xml\n"
         "(--send) of the project, as rows the Receive Frames and Send Frames windows show. A\n"
         "message is named as in the DBC file (its full name or the name of its BO_ line), or by\n"
         "its PGN (0xFEF1; 0x1FEF1 on data page 1), which takes every message of that PGN. A\n"
         "row's PGN holds PDU format and PDU specific, so a PDU1 frame keeps its destination\n"
         "address (0xEF2A: PGN 0xEF00 to address 0x2A). Receive frames longer than 8 bytes use\n"
         "the transport protocol; send frames cannot be longer than 8 bytes.\n"
         "  --sa N   the sender's source address for every chosen message, instead of the one of\n"
         "           its identifier (public J1939 databases give 254, the null address, which\n"
         "           no frame is received from)\n"
         "A frame the list already holds (same data page, PGN and source address) or chosen\n"
         "twice is refused. The lists must then pass the checks of the windows' OK (30 rows, 244\n"
         "bytes of input data, ranges); otherwise the first failure is printed, nothing is\n"
         "written and the exit status is 1. Both documents are replaced together or not at all.\n"
         "Runs on one project take turns (see the project lock in the README).\n",
         RunDbcImport},
    };
}

}  // namespace kestrova::cli
