// kestrova-cli replay: a recorded J1939 bus through the project's receive list.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cli_commands.h"
#include "cli_support.h"
#include "core/project/error.h"
#include "core/replay/trace_replay.h"

namespace kestrova::cli {
namespace {

int RunReplayCommand(const std::vector<std::string>& arguments) {
    const std::vector<std::string> positionals = Positionals(arguments);
    std::optional<double> atSeconds;
    if (const auto at = OptionValue(arguments, "--at")) {
        char* end = nullptr;
        const double value = std::strtod(at->c_str(), &end);
        if (at->empty() || *end != '\0' || !std::isfinite(value) || value < 0) {
            std::fprintf(stderr, "kestrova-cli replay: --at needs a number of seconds, not '%s'\n", at->c_str());
            return kUsage;
        }
        atSeconds = value;
    }
    const ProjectContext context = ProjectAt(positionals.at(0));
    const ReplayRun run = RunReplay(context, positionals.at(1), OptionValue(arguments, "--csv"), atSeconds);
    std::printf("Replay of %s through %s\n\n", positionals.at(1).c_str(), context.projectDirectory.c_str());
    std::fputs(ReplaySummaryText(run.project, run.result).c_str(), stdout);
    std::printf("\n");
    std::fputs(ReplayInputAreaText(run.project, run.result).c_str(), stdout);
    return kDone;
}

}  // namespace

std::vector<Command> ReplayCommands() {
    return {
        {"replay", "PROJECT_DIR TRACE [--csv OUT.csv] [--at SECONDS]", "a recorded J1939 bus through the receive list",
         "Replays a recorded CAN trace (candump -l log, candump screen output, or Vector ASC)\n"
         "through the project's receive list as the configuration image describes it, and prints\n"
         "for each receive row how many frames or transport-protocol messages matched, the first\n"
         "and last time and the mean interval; the rows never matched; the ten most frequent\n"
         "identities on the bus (data page, PGN, source address) that no row takes; the skipped\n"
         "and malformed lines. Then the PROFIBUS input data at the end of the trace in the layout\n"
         "of 'kestrova-cli map', bytes in hexadecimal. The project is refused like the outputs\n"
         "refuse it (limits check, image build); a trace without any frame is refused.\n"
         "  --csv OUT.csv   every write into the input data, in trace order: a header line\n"
         "                  time,row,offset,bytes then one line per run of bytes written\n"
         "  --at SECONDS    show the input data as they stood this many seconds after the\n"
         "                  trace's first frame\n",
         RunReplayCommand},
    };
}

}  // namespace kestrova::cli
