#include "core/outputs/project_limits.h"

#include "core/outputs/module_layout.h"
#include "core/project/integer_text.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

// A check-box option of pargen.xml: on unless its text is "0"; off when absent.
bool OptionOn(const ValueRecord& pargen, const char* name) {
    const auto text = pargen.Find(name);
    return text && *text != "0";
}

size_t RowCount(const std::string& path) {
    const auto list = ReadRowList(path);
    return list ? list->rows.size() : 0;
}

constexpr size_t kMaxImageFrames = 255;  // frame counts are bytes in the image header

// What the configuration image cannot hold, in documents written beyond the editors' limits:
// byte-wide counts, lengths and offsets that would wrap, and option values that the image and
// the GSD file would read differently. The editors never write such documents.
std::optional<std::string> ImageRefusal(const ProjectContext& context, const ValueRecord& pargen) {
    for (const char* option : {"Profi_Module", "Profi_Send_J1939"}) {
        const auto text = pargen.Find(option);
        const auto value = text ? TryIntegerText(*text) : std::optional<int32_t>(0);
        if (value != 0 && value != 1)
            return std::string("Error!! The value of ") + option + " in pargen.xml must be 0 or 1.";
    }
    int64_t total = 0;
    size_t receiveRows = 0;
    if (const auto receive = ReadRowList(context.documents.receiveFrame)) {
        receiveRows = receive->rows.size();
        for (size_t i = 0; i < receive->rows.size(); ++i) {
            const auto& row = receive->rows[i];
            if (!FlagSet(row.Guarded("TP", "N"))) {
                total += kFrameDataBytes;
                continue;
            }
            const int32_t count = TransportByteCount(row);
            if (count < 0 || count > kMaxInputBytes)
                return "Error in row " + std::to_string(i + 1) + "!! The Number Bytes must be between 1 and 244";
            total += count;
        }
    }
    if (total > kMaxInputBytes) return std::string("Error!! The project use more of 244 byte.");
    if (receiveRows > kMaxImageFrames || RowCount(context.documents.sendFrame) > kMaxImageFrames)
        return std::string("Error!! The project holds more than 255 receive or send frames.");
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ProjectLimitsRefusal(const ProjectContext& context) {
    RequireProjectDirectory(context);
    const auto pargen = ReadValueRecord(context.documents.pargen);
    if (!pargen) return std::nullopt;
    const bool perFrame = OptionOn(*pargen, "Profi_Module");
    const bool sendBits = OptionOn(*pargen, "Profi_Send_J1939");

    if (perFrame) {
        size_t receiveRows = 0;
        if (const auto receive = ReadRowList(context.documents.receiveFrame)) {
            receiveRows = receive->rows.size();
            for (size_t i = 0; i < receive->rows.size(); ++i) {
                const auto& row = receive->rows[i];
                if (!FlagSet(row.Guarded("TP", "N"))) continue;
                const int32_t count = TransportByteCount(row);
                if (count > kMaxModuleBytes)
                    return std::string(
                        "Error!! Is not possible to create a module greater of 64 byte. Please, uncheck the "
                        "\"Module for every J1939 Frame\" option");
                // A module of no data has no valid length byte in the GSD file.
                if (count < 1)
                    return "Error!! Is not possible to create a module of 0 byte. Please, set the N\xC2\xB0 Byte "
                           "of the Transport Protocol frame in row " +
                           std::to_string(i + 1) + " between 1 and 64";
            }
        }
        const size_t sendRows = RowCount(context.documents.sendFrame);
        if (sendBits && sendRows + receiveRows + 2 > static_cast<size_t>(kMaxModules))
            return std::string(
                "Error!! Is not possible to create more of 61 modules. Please, uncheck the \"Module for every "
                "J1939 Frame\" option");
    }

    if (sendBits) {
        const size_t bitBytes = (RowCount(context.documents.sendFrame) + 7) / 8;
        if (bitBytes > 0) {
            // Counted as the image and the layout count them: a "Y" in either case is a
            // transport-protocol frame carrying TP_NByte bytes.
            int64_t total = 0;
            if (const auto receive = ReadRowList(context.documents.receiveFrame))
                for (const auto& row : receive->rows)
                    total += FlagSet(row.Guarded("TP", "N")) ? TransportByteCount(row) : kFrameDataBytes;
            total += static_cast<int64_t>(bitBytes);
            if (total > kMaxInputBytes) return std::string("Error!! The project use more of 244 byte.");
        }
    }
    return ImageRefusal(context, *pargen);
}

bool CheckProjectLimits(const ProjectContext& context, Dialogs& dialogs) {
    const auto refusal = ProjectLimitsRefusal(context);
    if (!refusal) return true;
    dialogs.ShowMessage(MessageKind::Error, *refusal);
    return false;
}

}  // namespace kestrova
