#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/outputs/io_map.h"
#include "core/project/project_context.h"
#include "core/replay/trace_reader.h"

namespace kestrova {

// A recorded J1939 bus replayed through the project's receive list, as the configuration image
// describes it: which rows take which frames, what lands in the PROFIBUS input data, what never
// arrives and what the bus offers that no row takes.

// A receive row as the image and the I/O map give it.
struct ReplayRow {
    int number = 0;  // from 1
    std::string mnemonic;
    int dataPage = 0;
    int pgn = 0;
    int sourceAddress = 0;
    bool transportProtocol = false;
    int startByte = 0;  // TP_Start, from 1 (transport protocol only)
    int offset = 0;     // in the PROFIBUS input data, as kestrova-cli map gives it
    int length = 0;     // 8, or TP_NByte
};

struct ReplayProject {
    IoMap map;
    std::vector<ReplayRow> rows;
};

// The receive rows of the project: refused with the limits check's message or the image
// build's message (Error), like the outputs. Reads the documents; writes nothing.
ReplayProject LoadReplayProject(const ProjectContext& context);

// One run of bytes written into the input data.
struct ReplayUpdate {
    std::string_view time;  // as written in the trace, without parentheses
    int row = 0;            // from 1
    int offset = 0;         // in the input data
    const uint8_t* bytes = nullptr;
    size_t count = 0;
};

struct ReplayOptions {
    // The input data are taken this many seconds after the trace's first frame (else at its end).
    std::optional<double> atSeconds;
    // Called for every run of bytes written, in trace order.
    std::function<void(const ReplayUpdate&)> onUpdate;
};

// How often a row matched, and when.
struct ReplayRowTally {
    long long matches = 0;
    std::string firstTime, lastTime;  // as written in the trace
    int64_t firstNs = 0, lastNs = 0;  // on the replay's clock
};

// An identity on the bus that no row takes.
struct ReplayIdentityTally {
    int dataPage = 0;
    int pgn = 0;
    int sourceAddress = 0;
    long long count = 0;
    int64_t firstNs = 0, lastNs = 0;
};

struct ReplayMalformedLine {
    size_t line = 0;
    std::string problem;
};

// The replay keeps count of at most this many identities no row takes; the rest are only summed.
inline constexpr size_t kMaxCountedIdentities = 65536;
inline constexpr size_t kReportedIdentities = 10;
inline constexpr size_t kReportedMalformedLines = 10;

struct ReplayResult {
    long long lines = 0;
    long long frames = 0;                         // extended data frames replayed
    long long messages = 0;                       // transport-protocol messages completed
    bool timed = false;                           // the trace gives times
    std::vector<ReplayRowTally> rows;             // one per receive row
    std::vector<ReplayIdentityTally> unclaimed;   // the most frequent first, at most ten
    long long unclaimedIdentities = 0;            // how many different ones
    long long uncountedFrames = 0;                // frames of identities beyond the counted ones
    std::array<long long, kSkipKinds> skipped{};  // by SkipKind
    std::vector<ReplayMalformedLine> malformed;   // the first ten
    long long malformedLines = 0;
    std::vector<uint8_t> inputArea;  // at the end, or at atSeconds
    std::optional<double> atSeconds;
};

// Replays every line of the trace. Throws Error when the trace holds no frame at all, or
// cannot be read.
ReplayResult ReplayTrace(const ReplayProject& project, TraceLines& trace, const std::string& traceName,
                         const ReplayOptions& options = {});

// The summary: rows with their matches, rows never matched, the most frequent identities no
// row takes, skipped and malformed lines.
std::string ReplaySummaryText(const ReplayProject& project, const ReplayResult& result);
// The input data in the layout of the I/O map, bytes in hexadecimal.
std::string ReplayInputAreaText(const ReplayProject& project, const ReplayResult& result);

// The CSV of the updates: header line "time,row,offset,bytes", then one line per update.
inline constexpr const char* kReplayCsvHeader = "time,row,offset,bytes";
std::string ReplayCsvLine(const ReplayUpdate& update);

// "kestrova-cli replay" and "Replay Trace...": the project's rows, the trace replayed, and the
// updates written as CSV to `csvPath` when given (beside it first, then renamed into place).
struct ReplayRun {
    ReplayProject project;
    ReplayResult result;
};
ReplayRun RunReplay(const ProjectContext& context, const std::string& tracePath,
                    const std::optional<std::string>& csvPath = std::nullopt,
                    std::optional<double> atSeconds = std::nullopt);

}  // namespace kestrova
