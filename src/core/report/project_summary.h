#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/outputs/io_map.h"
#include "core/outputs/module_layout.h"
#include "core/project/project_context.h"
#include "core/readback/image_description.h"
#include "core/readback/j1939_lint.h"
#include "core/report/byte_map_drawing.h"

namespace kestrova {

// The whole project at a glance: what the overview window shows and what the HTML and PDF
// reports print. Every text comes from the code that writes or reads the outputs: the
// communication settings and frames in the words of "decode", the byte ranges from the I/O
// map of "map", the warnings of "lint", the checks of "verify".

// A receive or send frame of the lists: its name in the byte map ("R1", "S1") and its fields.
struct SummaryFrame {
    std::string name;
    std::string mnemonic;
    std::vector<ImageField> fields;  // ReceiveFrameFields or SendFrameFields
};

// A file that belongs with the project (bin/bank.bin, a GSD file): its size, its SHA-256, and
// what verify finds.
struct SummaryFile {
    std::string what;  // "configuration image", "GSD file"
    std::string path;
    long long size = 0;
    std::string sha256;
    std::vector<std::string> differences;  // empty: consistent with the project
    std::string problem;                   // why it could not be compared (not an image...)

    bool Consistent() const { return problem.empty() && differences.empty(); }
};

struct ProjectSummary {
    std::string projectName;  // the project folder's name
    std::string projectDirectory;
    std::string date;  // when the summary was made, "2026-12-09 20:52"

    // Why the project has no byte map: the limits check's refusal, or why the image or the
    // module list cannot be built. Empty when the map is there.
    std::string refusal;
    // Why the lists are missing (the image cannot be built); empty when they are there.
    std::string listProblem;

    bool hasParameters = false;               // pargen.xml exists
    std::vector<ImageField> communication;    // in the words of the communication window
    std::vector<SummaryFrame> receiveFrames;  // in list order
    std::vector<SummaryFrame> sendFrames;
    std::vector<int32_t> timers;  // ms, T1 first
    ModuleLayout layout;
    std::optional<IoMap> map;  // nothing when refused
    std::vector<LintWarning> warnings;
    std::vector<SummaryFile> files;  // bin/bank.bin when present, then the GSD file given
};

struct SummaryOptions {
    std::string gsdPath;  // a GSD file to fingerprint and verify; empty: none
    std::string date;     // empty: now, in local time
};

// Reads the project's documents afresh. Throws Error "Project not valid" without a project
// directory, Error when a document does not parse, and Error when the GSD file given cannot be
// read; a project refused by the limits check, or whose image cannot be built, is summarised
// with the reason instead of a map.
ProjectSummary BuildProjectSummary(const ProjectContext& context, const SummaryOptions& options = {});

// "2026-12-09 20:52", local time.
std::string CurrentDateText();

}  // namespace kestrova
