#pragma once

#include "core/project/project_context.h"
#include "core/project/xml_document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

// The PROFIBUS side of a project at module level: data lengths, module counts and the
// per-receive-frame lengths that the GSD file declares.
struct ModuleLayout {
    int32_t PerFrameModules = 0;   // Profi_Module: 1 = one module per J1939 frame, else packed
    int32_t SendWithProfibus = 0;  // Profi_Send_J1939: 1 = the send-bit areas exist
    int32_t InputBytes = 0;        // PROFIBUS input data (packed: send bits included)
    int32_t OutputBytes = 0;       // PROFIBUS output data (packed: send bits included)
    int32_t InputModules = 0;      // per frame: receive frames; packed: 64-byte modules
    int32_t OutputModules = 0;     // per frame: send frames; packed: 64-byte modules
    int32_t SendBitBytes = 0;      // one send-bit area: (send frames + 7) / 8 when send bits are on
    std::vector<uint8_t> ReceiveFrameLengths;  // 8, or the low 8 bits of TP_NByte

    // Only the value 1 switches an option on; every other value means off, in the layout and
    // in the GSD file alike.
    bool OneModulePerFrame() const { return PerFrameModules == 1; }
    bool SendBits() const { return SendWithProfibus == 1; }
};

// Largest PROFIBUS module, in bytes.
inline constexpr int kMaxModuleBytes = 64;
// Data bytes of a receive frame without transport protocol, and of every send frame.
inline constexpr int kFrameDataBytes = 8;

// A frame-list flag: "Y" in either case is set; anything else (a blank around it too) is clear.
bool FlagSet(const std::string& text);

// TP_NByte of a receive row: 0 when absent or not an integer.
int32_t TransportByteCount(const XmlRow& row);

// Computes the layout afresh from pargen.xml, Receive_Frame.xml and Send_Frame.xml of the
// project. A missing document counts as empty (options off, no frames), so the result always
// describes the documents as they are now. Throws Error when a document does not parse.
ModuleLayout ComputeModuleLayout(const ProjectContext& context);

// Throws Error "Project not valid" when no project directory is set, so that nothing is read
// or written outside a project.
void RequireProjectDirectory(const ProjectContext& context);

}  // namespace kestrova
