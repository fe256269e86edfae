// The trace readers, the transport-protocol sessions and the replay on any bytes: a result or
// an Error, never a crash, a hang or undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/project/error.h"
#include "core/replay/trace_replay.h"

namespace {

// Rows of every kind: single frames, a broadcast and a request-to-send message.
kestrova::ReplayProject FuzzProject() {
    kestrova::ReplayProject project;
    project.map.inputBytes = 40;
    const auto row = [&](int pgn, int sa, bool tp, int start, int offset, int length) {
        kestrova::ReplayRow r;
        r.number = static_cast<int>(project.rows.size() + 1);
        r.pgn = pgn;
        r.sourceAddress = sa;
        r.transportProtocol = tp;
        r.startByte = start;
        r.offset = offset;
        r.length = length;
        project.rows.push_back(r);
    };
    row(0xFEF1, 0, false, 0, 0, 8);
    row(0xFECA, 3, true, 3, 8, 10);
    row(0xFEDA, 0x11, true, 1, 18, 20);
    row(0xFEF1, 0, false, 0, 36, 8);  // past the end of the input data
    return project;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const kestrova::ReplayProject project = FuzzProject();
    try {
        kestrova::TraceLines trace(std::string_view(reinterpret_cast<const char*>(data), size));
        kestrova::ReplayOptions options;
        options.atSeconds = 0.5;
        options.onUpdate = [](const kestrova::ReplayUpdate& update) { kestrova::ReplayCsvLine(update); };
        const kestrova::ReplayResult result = kestrova::ReplayTrace(project, trace, "fuzz", options);
        kestrova::ReplaySummaryText(project, result);
    } catch (const kestrova::Error&) {
    }
    return 0;
}
