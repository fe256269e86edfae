// Goal: a recorded bus of one million frames (about 50 MB of candump -l text, most of them
// transport-protocol packets) replays through a receive list in under 0.5 s, with memory that
// does not grow with the trace. For scale: `grep -c` over the same file (the floor of reading
// it) is measured here too; python-can's LogReader only reading the file takes about 4 s.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/replay/trace_replay.h"

namespace {

// A project with 30 receive rows, two of them by transport protocol, and a trace of `frames`
// frames in blocks of 25: a broadcast of 20 packets (taken by a row), an RTS of 3 packets with
// its clear-to-send and acknowledgement... written to a temporary file, never held in memory.
class RecordedBus {
public:
    explicit RecordedBus(long frames) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-bench-XXXXXX").string();
        directory_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        context_ = kestrova::MakeProjectContext(directory_);
        context_.projectDirectory = directory_;
        context_.DeriveDocumentPaths();
        std::ofstream(context_.documents.pargen)
            << "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0</Can_Send_Data>"
               "<Can_Delay_Send>1000</Can_Delay_Send><Can_TimeOut>5</Can_TimeOut><Can_Peer>0</Can_Peer>"
               "<Profi_ID>20</Profi_ID><Profi_Baud>10</Profi_Baud><Profi_Module>0</Profi_Module>"
               "<Profi_Send_J1939>0</Profi_Send_J1939></Par_Gen>";
        std::string receive = "<Receive_Frames>";
        for (int i = 0; i < 26; ++i)
            receive += "<row DataPage=\"0\" PGN=\"" + std::to_string(0xFE00 + i) +
                       "\" SA=\"0\" TP=\"N\" TP_Start=\"\" TP_NByte=\"\" Delete=\"N\" OnRequest=\"N\" "
                       "OnReq_Time=\"\" Mnemonic=\"Frame\"/>";
        receive +=
            "<row DataPage=\"0\" PGN=\"0xFECA\" SA=\"3\" TP=\"Y\" TP_Start=\"1\" TP_NByte=\"20\" Delete=\"N\" "
            "OnRequest=\"N\" OnReq_Time=\"\" Mnemonic=\"DM1\"/>"
            "<row DataPage=\"0\" PGN=\"0xFEDA\" SA=\"17\" TP=\"Y\" TP_Start=\"1\" TP_NByte=\"10\" Delete=\"N\" "
            "OnRequest=\"N\" OnReq_Time=\"\" Mnemonic=\"Soft\"/></Receive_Frames>";
        std::ofstream(context_.documents.receiveFrame) << receive;

        trace_ = directory_ + "/bus.log";
        FILE* out = std::fopen(trace_.c_str(), "w");
        double time = 1436509052.0;
        long written = 0;
        const auto line = [&](unsigned identifier, const unsigned char* data) {
            std::fprintf(out, "(%.6f) can0 %08X#%02X%02X%02X%02X%02X%02X%02X%02X\n", time, identifier, data[0], data[1],
                         data[2], data[3], data[4], data[5], data[6], data[7]);
            time += 0.0005;
            ++written;
        };
        unsigned char data[8] = {0, 1, 2, 3, 4, 5, 6, 7};
        while (written < frames) {
            const unsigned char bam[8] = {32, 140, 0, 20, 0xFF, 0xCA, 0xFE, 0};
            line(0x1CECFF03, bam);
            for (int packet = 1; packet <= 20; ++packet) {
                data[0] = static_cast<unsigned char>(packet);
                line(0x1CEBFF03, data);
            }
            data[0] = static_cast<unsigned char>(written);
            line(0x18FE0000 | static_cast<unsigned>(written % 40) << 8, data);  // some no row takes
            line(0x0CF00400, data);
            line(0x18FEF100 | static_cast<unsigned>(written % 7), data);
            line(0x18FE0500, data);
        }
        std::fclose(out);
        bytes_ = static_cast<int64_t>(std::filesystem::file_size(trace_));
        frames_ = written;
    }
    ~RecordedBus() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    const kestrova::ProjectContext& context() const { return context_; }
    const std::string& trace() const { return trace_; }
    int64_t bytes() const { return bytes_; }
    long frames() const { return frames_; }

private:
    std::string directory_, trace_;
    kestrova::ProjectContext context_;
    int64_t bytes_ = 0;
    long frames_ = 0;
};

long PeakKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_ReplayCandumpLog(benchmark::State& state) {
    const RecordedBus bus(state.range(0));
    const kestrova::ReplayProject project = kestrova::LoadReplayProject(bus.context());
    const long before = PeakKilobytes();
    long long messages = 0;
    for (auto _ : state) {
        kestrova::TraceLines trace(bus.trace());
        const kestrova::ReplayResult result = kestrova::ReplayTrace(project, trace, bus.trace());
        messages = result.messages;
        benchmark::DoNotOptimize(result.inputArea.data());
    }
    state.SetBytesProcessed(state.iterations() * bus.bytes());
    state.SetItemsProcessed(state.iterations() * bus.frames());
    state.counters["MB"] = static_cast<double>(bus.bytes()) / 1e6;
    state.counters["messages"] = static_cast<double>(messages);
    state.counters["peak_growth_kB"] = static_cast<double>(PeakKilobytes() - before);
}
BENCHMARK(BM_ReplayCandumpLog)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same file counted by grep -c: the floor of reading it.
void BM_GrepCountSameFile(benchmark::State& state) {
    const RecordedBus bus(state.range(0));
    const std::string command = "grep -c '#' " + bus.trace() + " >/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("grep failed");
    state.SetBytesProcessed(state.iterations() * bus.bytes());
}
BENCHMARK(BM_GrepCountSameFile)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
