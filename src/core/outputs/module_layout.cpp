#include "core/outputs/module_layout.h"

#include "core/project/error.h"
#include "core/project/integer_text.h"


namespace kestrova {
namespace {

int32_t OptionValue(const ValueRecord& pargen, const char* name) {
    const auto text = pargen.Find(name);
    if (!text) return 0;
    return TryIntegerText(*text).value_or(0);
}

// Bound of the byte totals, far beyond any real project, so that no sum can overflow.
constexpr int64_t kMaxTotalBytes = int64_t{1} << 28;

int32_t PackedModules(int32_t bytes) { return bytes > 0 ? (bytes + kMaxModuleBytes - 1) / kMaxModuleBytes : 0; }

}  // namespace

bool FlagSet(const std::string& text) { return text == "Y" || text == "y"; }

int32_t TransportByteCount(const XmlRow& row) {
    const auto* text = row.Find("TP_NByte");
    return text ? TryIntegerText(*text).value_or(0) : 0;
}

void RequireProjectDirectory(const ProjectContext& context) {
    if (context.projectDirectory.empty()) throw Error("Project not valid");
}

ModuleLayout ComputeModuleLayout(const ProjectContext& context) {
    RequireProjectDirectory(context);
    ModuleLayout layout;
    if (const auto pargen = ReadValueRecord(context.documents.pargen)) {
        layout.PerFrameModules = OptionValue(*pargen, "Profi_Module");
        layout.SendWithProfibus = OptionValue(*pargen, "Profi_Send_J1939");
    }

    if (const auto receive = ReadRowList(context.documents.receiveFrame)) {
        int64_t bytes = 0;
        layout.ReceiveFrameLengths.reserve(receive->rows.size());
        for (const auto& row : receive->rows) {
            if (!FlagSet(row.Guarded("TP", "N"))) {
                bytes += kFrameDataBytes;
                layout.ReceiveFrameLengths.push_back(kFrameDataBytes);
            } else {
                const int32_t count = TransportByteCount(row);
                bytes += count;
                layout.ReceiveFrameLengths.push_back(static_cast<uint8_t>(count & 0xFF));
            }
        }
        if (bytes > kMaxTotalBytes || bytes < -kMaxTotalBytes || static_cast<int64_t>(receive->rows.size()) > kMaxTotalBytes / kFrameDataBytes)
            throw Error("The receive frames of " + context.documents.receiveFrame +
                        " hold more data than a PROFIBUS slave can carry.");
        layout.InputModules = static_cast<int32_t>(receive->rows.size());
        layout.InputBytes = static_cast<int32_t>(bytes);
    }

    if (const auto send = ReadRowList(context.documents.sendFrame)) {
        if (static_cast<int64_t>(send->rows.size()) > kMaxTotalBytes / kFrameDataBytes)
            throw Error("The send frames of " + context.documents.sendFrame +
                        " hold more data than a PROFIBUS slave can carry.");
        layout.OutputModules = static_cast<int32_t>(send->rows.size());
        layout.OutputBytes = kFrameDataBytes * layout.OutputModules;
    }

    if (layout.SendBits()) {
        layout.SendBitBytes = (layout.OutputModules + 7) / 8;  // one bit per send frame
        if (!layout.OneModulePerFrame()) {
            // Packed: the send bits follow the frame data in the same modules. In per-frame
            // mode they get modules of their own in the GSD file.
            layout.InputBytes += layout.SendBitBytes;
            layout.OutputBytes += layout.SendBitBytes;
        }
    }

    if (!layout.OneModulePerFrame()) {
        layout.InputModules = PackedModules(layout.InputBytes);
        layout.OutputModules = PackedModules(layout.OutputBytes);
    }
    return layout;
}

}  // namespace kestrova
