#pragma once

#include "core/outputs/gsd_file.h"
#include "core/project/project_context.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

// One byte range of the PROFIBUS input or output data: a frame's data or a send-bit area,
// with the modules (and slots: slot n holds module n) it falls in.
struct IoMapRange {
    bool input = true;
    int offset = 0;
    int length = 0;
    std::string frame;        // "R1".. receive frames, "S1".. send frames, "BITS" the send bits
    bool isFrame = false;     // false for the send-bit areas
    int dataPage = 0;
    int pgn = 0;
    int sourceAddress = 0;
    std::string mnemonic;
    int firstModule = 0;      // 0: the range holds no byte of any module
    int lastModule = 0;
};

struct IoMap {
    bool oneModulePerFrame = false;
    bool sendBits = false;
    int inputBytes = 0;   // bytes of all input modules
    int outputBytes = 0;  // bytes of all output modules
    std::vector<GsdModule> modules;
    std::vector<IoMapRange> ranges;  // input ranges first, each side in data order
};

// The map of the project: data offsets and lengths as bank.bin declares them, modules as the
// GSD file declares them. Throws Error like the image builder and the GSD writer.
IoMap BuildIoMap(const ProjectContext& context);

// Plain aligned text for reading, and CSV (comma separated, header line, CR LF) for a
// spreadsheet.
std::string IoMapText(const IoMap& map);
std::string IoMapCsv(const IoMap& map);

// The input side of the map with the bytes of each range in hexadecimal, as they stand in
// `inputArea` (the PROFIBUS input data, from offset 0; bytes past its end are left out).
std::string IoMapInputAreaText(const IoMap& map, const std::vector<uint8_t>& inputArea);

// Rows of words in columns, each column as wide as its widest word, two blanks at the left.
std::string AlignedText(const std::vector<std::vector<std::string>>& rows);

}  // namespace kestrova
