#include "core/replay/trace_replay.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "core/outputs/bank_image.h"
#include "core/outputs/module_layout.h"
#include "core/outputs/project_limits.h"
#include "core/project/error.h"
#include "core/replay/transport_sessions.h"

namespace kestrova {
namespace {

// Data page, PGN and source address in one number.
uint32_t IdentityKey(int dataPage, int pgn, int sourceAddress) {
    return static_cast<uint32_t>((dataPage & 1) << 24 | (pgn & 0xFFFF) << 8 | (sourceAddress & 0xFF));
}

std::string PgnText(int pgn) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(pgn));
    return text;
}

std::string IntervalText(long long count, int64_t firstNs, int64_t lastNs, bool timed) {
    if (count < 2 || !timed) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", static_cast<double>(lastNs - firstNs) / 1e6 / (count - 1));
    return text;
}

std::string Plural(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The replay of one trace: the clock, the rows' lookups, the input data and the tallies.
class Replay {
public:
    Replay(const ReplayProject& project, const ReplayOptions& options, ReplayResult& result)
        : project_(project), options_(options), result_(result), sessions_([this](uint8_t source, uint32_t packedPgn) {
              return transportRows_.count(IdentityKey(packedPgn >> 16, packedPgn & 0xFFFF, source)) > 0;
          }) {
        for (size_t i = 0; i < project.rows.size(); ++i) {
            const ReplayRow& row = project.rows[i];
            auto& rows = row.transportProtocol ? transportRows_ : singleRows_;
            rows[IdentityKey(row.dataPage, row.pgn, row.sourceAddress)].push_back(i);
        }
        result_.rows.assign(project.rows.size(), ReplayRowTally{});
        result_.inputArea.assign(static_cast<size_t>(std::max(project.map.inputBytes, 0)), 0);
        if (options.atSeconds) atNs_ = static_cast<int64_t>(std::llround(*options.atSeconds * 1e9));
    }

    void Line(const TraceLine& line) {
        if (line.isFrameLine) Tick(line);
        if (line.kind != TraceLineKind::Frame) return;
        ++result_.frames;
        time_ = line.timeText;
        Frame(line.frame);
    }

    void Finish() {
        if (snapshotTaken_) result_.inputArea = snapshot_;
        result_.atSeconds = options_.atSeconds;
        result_.timed = timed_;
        std::vector<ReplayIdentityTally> identities;
        identities.reserve(unclaimed_.size());
        for (const auto& entry : unclaimed_) identities.push_back(entry.second);
        const auto before = [](const ReplayIdentityTally& a, const ReplayIdentityTally& b) {
            if (a.count != b.count) return a.count > b.count;
            return IdentityKey(a.dataPage, a.pgn, a.sourceAddress) < IdentityKey(b.dataPage, b.pgn, b.sourceAddress);
        };
        const size_t shown = std::min(identities.size(), kReportedIdentities);
        std::partial_sort(identities.begin(), identities.begin() + static_cast<std::ptrdiff_t>(shown), identities.end(),
                          before);
        identities.resize(shown);
        result_.unclaimed = std::move(identities);
        result_.unclaimedIdentities = static_cast<long long>(unclaimed_.size());
    }

private:
    // The replay's clock: the trace's time, where time going backwards counts as no time.
    void Tick(const TraceLine& line) {
        if (line.hasTime) {
            timed_ = true;
            if (haveTime_ && line.timeNs > lastTimeNs_) clockNs_ += line.timeNs - lastTimeNs_;
            haveTime_ = true;
            lastTimeNs_ = line.timeNs;
        }
        if (!started_) {
            started_ = true;
            firstNs_ = clockNs_;
        }
        if (atNs_ && !snapshotTaken_ && clockNs_ - firstNs_ > *atNs_) {
            snapshot_ = result_.inputArea;
            snapshotTaken_ = true;
        }
    }

    void Frame(const TraceFrame& frame) {
        const uint32_t id = frame.identifier;
        const int dataPage = static_cast<int>(id >> 24 & 1);
        const int format = static_cast<int>(id >> 16 & 0xFF);
        const int pgn = static_cast<int>(id >> 8 & 0xFFFF);
        const int source = static_cast<int>(id & 0xFF);
        bool taken = false;
        const auto rows = singleRows_.find(IdentityKey(dataPage, pgn, source));
        if (rows != singleRows_.end()) {
            taken = true;
            for (const size_t row : rows->second) Write(row, frame.data, frame.length);
        }
        if (format == kConnectionManagementFormat || format == kDataTransferFormat) {
            if (const TransportMessage* message = sessions_.Feed(clockNs_, id, frame.data, frame.length))
                Message(*message);
        } else if (!taken) {
            Unclaimed(dataPage, pgn, source);
        }
    }

    void Message(const TransportMessage& message) {
        ++result_.messages;
        const int dataPage = static_cast<int>(message.packedPgn >> 16 & 1);
        const int pgn = static_cast<int>(message.packedPgn & 0xFFFF);
        const auto rows = transportRows_.find(IdentityKey(dataPage, pgn, message.source));
        if (rows == transportRows_.end()) return Unclaimed(dataPage, pgn, message.source);
        for (const size_t index : rows->second) {
            const ReplayRow& row = project_.rows[index];
            // the bytes TP_Start to TP_Start + TP_NByte - 1 that the message holds
            const size_t first = static_cast<size_t>(std::max(row.startByte, 1) - 1);
            const size_t end = std::min(first + static_cast<size_t>(std::max(row.length, 0)), message.size);
            Write(index, message.data + std::min(first, message.size), end > first ? end - first : 0);
        }
    }

    void Write(size_t index, const uint8_t* bytes, size_t count) {
        const ReplayRow& row = project_.rows[index];
        ReplayRowTally& tally = result_.rows[index];
        if (tally.matches++ == 0) {
            tally.firstTime.assign(time_);
            tally.firstNs = clockNs_;
        }
        tally.lastTime.assign(time_);
        tally.lastNs = clockNs_;
        const size_t offset = static_cast<size_t>(std::max(row.offset, 0));
        auto& area = result_.inputArea;
        count = std::min(count, static_cast<size_t>(std::max(row.length, 0)));
        count = offset < area.size() ? std::min(count, area.size() - offset) : 0;
        if (count == 0) return;
        std::memcpy(area.data() + offset, bytes, count);
        if (options_.onUpdate) options_.onUpdate(ReplayUpdate{time_, row.number, row.offset, bytes, count});
    }

    void Unclaimed(int dataPage, int pgn, int source) {
        const uint32_t key = IdentityKey(dataPage, pgn, source);
        auto found = unclaimed_.find(key);
        if (found == unclaimed_.end()) {
            if (unclaimed_.size() >= kMaxCountedIdentities) {
                ++result_.uncountedFrames;
                return;
            }
            found = unclaimed_.emplace(key, ReplayIdentityTally{dataPage, pgn, source, 0, clockNs_, clockNs_}).first;
        }
        ++found->second.count;
        found->second.lastNs = clockNs_;
    }

    const ReplayProject& project_;
    const ReplayOptions& options_;
    ReplayResult& result_;
    std::unordered_map<uint32_t, std::vector<size_t>> singleRows_, transportRows_;
    std::unordered_map<uint32_t, ReplayIdentityTally> unclaimed_;
    TransportSessions sessions_;
    std::string_view time_;
    int64_t clockNs_ = 0;
    int64_t lastTimeNs_ = 0;
    bool haveTime_ = false;
    bool timed_ = false;
    bool started_ = false;
    int64_t firstNs_ = 0;
    std::optional<int64_t> atNs_;
    bool snapshotTaken_ = false;
    std::vector<uint8_t> snapshot_;
};

// Written beside the target and renamed into place once the replay succeeded.
class CsvFile {
public:
    explicit CsvFile(const std::string& path) : path_(path), temporary_(path + ".tmp-" + std::to_string(::getpid())) {
        ::unlink(temporary_.c_str());
        const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 || !(file_ = ::fdopen(fd, "wb"))) {
            const int error = errno;
            if (fd >= 0) ::close(fd);
            throw Error("Cannot create file " + path + ": " + SystemReason(error));
        }
        Write(std::string(kReplayCsvHeader) + "\r\n");
    }
    ~CsvFile() {
        if (file_) {
            std::fclose(file_);
            ::unlink(temporary_.c_str());
        }
    }
    void Write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), file_); }
    void Commit() {
        const bool failed = std::ferror(file_) != 0;
        const int error = failed ? EIO : 0;
        const int closed = std::fclose(file_);
        file_ = nullptr;
        if (failed || closed != 0 || ::rename(temporary_.c_str(), path_.c_str()) != 0) {
            const int reason = error ? error : errno;
            ::unlink(temporary_.c_str());
            throw Error("Cannot write file " + path_ + ": " + SystemReason(reason));
        }
    }

private:
    std::string path_, temporary_;
    FILE* file_ = nullptr;
};

}  // namespace

ReplayProject LoadReplayProject(const ProjectContext& context) {
    RequireProjectDirectory(context);
    if (const auto refusal = ProjectLimitsRefusal(context)) throw Error(*refusal);
    ReplayProject project;
    project.map = BuildIoMap(context);
    const BankImage image = BuildBankImage(context);
    size_t index = 0;
    for (const auto& range : project.map.ranges) {
        if (!range.input || !range.isFrame || index >= image.receiveFrames.size()) continue;
        const ReceiveFrameRecord& record = image.receiveFrames[index];
        ReplayRow row;
        row.number = static_cast<int>(++index);
        row.mnemonic = range.mnemonic;
        row.dataPage = range.dataPage;
        row.pgn = range.pgn;
        row.sourceAddress = range.sourceAddress;
        row.transportProtocol = record.transportProtocol != 0;
        row.startByte = record.startByte;
        row.offset = range.offset;
        row.length = range.length;
        project.rows.push_back(std::move(row));
    }
    return project;
}

ReplayResult ReplayTrace(const ReplayProject& project, TraceLines& trace, const std::string& traceName,
                         const ReplayOptions& options) {
    ReplayResult result;
    Replay replay(project, options, result);
    TraceReaderState state;
    TraceLine line;
    std::string_view text;
    long long frameLines = 0;
    while (trace.Next(text)) {
        ++result.lines;
        if (trace.Overlong()) {
            line.kind = TraceLineKind::Malformed;
            line.problem = "longer than " + std::to_string(kMaxTraceLineBytes) + " characters";
        } else {
            ReadTraceLine(text, state, line);
        }
        if (line.kind == TraceLineKind::Malformed) {
            if (result.malformed.size() < kReportedMalformedLines)
                result.malformed.push_back({trace.LineNumber(), line.problem});
            ++result.malformedLines;
            continue;
        }
        if (line.kind == TraceLineKind::Skipped) ++result.skipped[static_cast<size_t>(line.skip)];
        if (line.isFrameLine) ++frameLines;
        replay.Line(line);
    }
    if (frameLines == 0) throw Error("The trace " + traceName + " holds no CAN frame.");
    replay.Finish();
    return result;
}

std::string ReplaySummaryText(const ReplayProject& project, const ReplayResult& result) {
    std::string out = "Lines read: " + std::to_string(result.lines) + "; " +
                      Plural(result.frames, "extended frame", "extended frames") + " replayed; " +
                      Plural(result.messages, "transport-protocol message", "transport-protocol messages") +
                      " completed\n\nReceive rows:\n";
    const auto dash = [](const std::string& text) { return text.empty() ? std::string("-") : text; };
    std::vector<std::vector<std::string>> table{
        {"Row", "Mnemonic", "DP", "PGN", "SA", "TP", "Matches", "First", "Last", "Mean interval"}};
    std::vector<std::string> never;
    for (size_t i = 0; i < project.rows.size(); ++i) {
        const ReplayRow& row = project.rows[i];
        const ReplayRowTally& tally = result.rows.at(i);
        std::string mnemonic = row.mnemonic;
        for (char& c : mnemonic)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
        table.push_back({std::to_string(row.number), mnemonic, std::to_string(row.dataPage), PgnText(row.pgn),
                         std::to_string(row.sourceAddress), row.transportProtocol ? "Y" : "N",
                         std::to_string(tally.matches), dash(tally.firstTime), dash(tally.lastTime),
                         IntervalText(tally.matches, tally.firstNs, tally.lastNs, !tally.firstTime.empty())});
        if (tally.matches == 0)
            never.push_back("  row " + std::to_string(row.number) + " (" + mnemonic + "): DP " +
                            std::to_string(row.dataPage) + ", PGN " + PgnText(row.pgn) + ", SA " +
                            std::to_string(row.sourceAddress) + "\n");
    }
    out += project.rows.empty() ? "  (none)\n" : AlignedText(table);

    out += "\nRows never matched:";
    if (never.empty()) out += " none";
    out += "\n";
    for (const auto& line : never) out += line;

    out += "\nIdentities on the bus that no row takes";
    if (result.unclaimed.empty()) {
        out += ": none\n";
    } else {
        out += " (" + std::to_string(result.unclaimed.size()) + " most frequent of " +
               std::to_string(result.unclaimedIdentities) + "):\n";
        std::vector<std::vector<std::string>> identities{{"DP", "PGN", "SA", "Count", "Mean interval"}};
        for (const auto& identity : result.unclaimed)
            identities.push_back({std::to_string(identity.dataPage), PgnText(identity.pgn),
                                  std::to_string(identity.sourceAddress), std::to_string(identity.count),
                                  IntervalText(identity.count, identity.firstNs, identity.lastNs, result.timed)});
        out += AlignedText(identities);
    }
    if (result.uncountedFrames > 0)
        out += "  (" + Plural(result.uncountedFrames, "frame", "frames") + " of further identities not counted)\n";

    out += "\nSkipped:";
    bool any = false;
    for (size_t kind = 0; kind < kSkipKinds; ++kind) {
        if (result.skipped[kind] == 0) continue;
        out += std::string(any ? "" : "\n") + "  " + SkipKindText(static_cast<SkipKind>(kind)) + ": " +
               std::to_string(result.skipped[kind]) + "\n";
        any = true;
    }
    if (!any) out += " none\n";

    out += "\nMalformed lines: " + std::to_string(result.malformedLines) + "\n";
    for (const auto& line : result.malformed) out += "  line " + std::to_string(line.line) + ": " + line.problem + "\n";
    if (result.malformedLines > static_cast<long long>(result.malformed.size()))
        out += "  (" + std::to_string(result.malformedLines - static_cast<long long>(result.malformed.size())) +
               " more)\n";
    return out;
}

std::string ReplayInputAreaText(const ReplayProject& project, const ReplayResult& result) {
    std::string when = "at the end of the trace";
    if (result.atSeconds) {
        char text[64];
        std::snprintf(text, sizeof text, "%g s after the first frame", *result.atSeconds);
        when = text;
    }
    return "Input data " + when + ":\n" + IoMapInputAreaText(project.map, result.inputArea);
}

std::string ReplayCsvLine(const ReplayUpdate& update) {
    static const char digits[] = "0123456789ABCDEF";
    std::string line(update.time);
    line += ',';
    line += std::to_string(update.row);
    line += ',';
    line += std::to_string(update.offset);
    line += ',';
    for (size_t i = 0; i < update.count; ++i) {
        line += digits[update.bytes[i] >> 4];
        line += digits[update.bytes[i] & 0xF];
    }
    line += "\r\n";
    return line;
}

ReplayRun RunReplay(const ProjectContext& context, const std::string& tracePath,
                    const std::optional<std::string>& csvPath, std::optional<double> atSeconds) {
    ReplayRun run;
    run.project = LoadReplayProject(context);
    TraceLines trace(tracePath);
    std::optional<CsvFile> csv;
    if (csvPath) csv.emplace(*csvPath);
    ReplayOptions options;
    options.atSeconds = atSeconds;
    if (csv) options.onUpdate = [&csv](const ReplayUpdate& update) { csv->Write(ReplayCsvLine(update)); };
    run.result = ReplayTrace(run.project, trace, tracePath, options);
    if (csv) csv->Commit();
    return run;
}

}  // namespace kestrova
