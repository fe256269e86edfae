#pragma once

#include "core/outputs/module_layout.h"
#include "core/project/project_context.h"

#include <string>
#include <vector>

namespace kestrova {

// One module of the GSD file's module list, numbered from 1 in the order written; slot n
// holds module n.
struct GsdModule {
    bool input = true;  // input (0x42) or output (0x82) module
    int length = 0;     // data bytes
    int number = 0;
};

// A module number is written as one byte.
inline constexpr int kMaxGsdModules = 255;

// The modules of the layout, in file order:
//   one module per frame: receive frames; the input send bits; send frames; the output send bits
//   packed:               full 64-byte input modules then the rest; the same for the output
// The send-bit modules are left out when there is no send frame (they would hold 0 bytes).
std::vector<GsdModule> ListGsdModules(const ModuleLayout& layout);

// The lines of the GSD file for the layout. Throws Error instead of declaring a module that
// no valid length byte describes (0 or more than 64 bytes) or more than 255 modules.
std::vector<std::string> GsdLines(const ModuleLayout& layout);

// The lines, each ending in CR LF.
std::string GsdText(const ModuleLayout& layout);

// Computes the module layout of the project and writes its GSD file to `path`, replacing an
// existing file whole (written beside it, then renamed). Throws Error
// "Cannot create file "<path>". <reason>" when the file cannot be written, and Error when a
// document does not parse; nothing is written then.
void WriteGsdFile(const ProjectContext& context, const std::string& path);

}  // namespace kestrova
