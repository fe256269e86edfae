#include "core/editors/frame_byte_mapping.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/editors/editor_table.h"
#include "core/outputs/module_layout.h"
#include "core/project/error.h"
#include "core/project/integer_text.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

std::string TargetAttribute(int byte) { return "B" + std::to_string(byte); }

// A cell read by the strict integer rule; its failure names the cell.
int32_t IntegerCell(const XmlRow& row, const std::string& attribute, size_t index, const std::string& path) {
    const std::string text = row.Required(attribute);
    if (const auto value = TryIntegerText(text)) return *value;
    throw Error("'" + EchoedText(text) + "' is not a valid integer value: attribute '" + attribute + "' of row " +
                std::to_string(index + 1) + " of " + path + ".");
}

// A part of a frame's identity: the integer it reads as, in decimal or as "0x" and four or
// more hexadecimal digits; the text as it stands when it is not an integer.
std::string IdentityPart(const std::string& text, bool hexadecimal) {
    const auto value = TryIntegerText(text);
    if (!value) return TrimBlanks(text);
    if (!hexadecimal) return std::to_string(*value);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", static_cast<unsigned>(*value));
    return buffer;
}

FrameBytes FrameOfRow(const FrameMappingKind& kind, const XmlRow& row, size_t index, const std::string& path) {
    FrameBytes frame;
    frame.targets.fill(kNoPosition);
    if (const auto* name = row.Find("COBID")) {
        frame.name = *name;
    } else {
        frame.name = FrameName(row.Guarded("Mnemonic"), row.Guarded("DataPage"), row.Guarded("PGN"), row.Guarded("SA"));
    }
    if (row.Find("Dim")) {
        frame.dataLength = static_cast<uint8_t>(IntegerCell(row, "Dim", index, path) & 0xFF);
    } else {
        const bool transport = kind.transportFrames && FlagSet(row.Guarded("TP", "N"));
        frame.dataLength = FrameDataLength(transport, transport ? TransportByteCount(row) : 0);
    }
    return frame;
}

uint8_t TargetOfRow(const XmlRow& row, size_t index, const FrameBytes& frame, int byte, const std::string& path) {
    const std::string attribute = TargetAttribute(byte);
    const int32_t value = IntegerCell(row, attribute, index, path);
    if ((value < 0 || value >= kMappedPositions) && value != kNoPosition)
        throw Error("Byte " + std::to_string(byte) + " of COB ID " + EchoedText(frame.name) + " goes to position " +
                    std::to_string(value) + " in row " + std::to_string(index + 1) + " of " + path +
                    ": a position must be between 0 and 127, or 255 for none.");
    return static_cast<uint8_t>(value);
}

}  // namespace

const FrameMappingKind& ReceiveFrameMapping() {
    static const FrameMappingKind kind{"Receive Frames Info",
                                       &DocumentPaths::receiveFrame,
                                       &DocumentPaths::receiveInfo,
                                       "Receive_Frames_Info",
                                       true,
                                       "Byte ",
                                       " of frame CAN go to byte",
                                       "in DeviceNET",
                                       false,
                                       true};
    return kind;
}

const FrameMappingKind& SendFrameMapping() {
    static const FrameMappingKind kind{"Send Frames Info",
                                       &DocumentPaths::sendFrame,
                                       &DocumentPaths::sendInfo,
                                       "Send_Frames_Info",
                                       false,
                                       "Byte ",
                                       " of frame CAN is the byte",
                                       "of DeviceNET",
                                       true,
                                       false};
    return kind;
}

std::string ByteRowCaption(const FrameMappingKind& kind, int byte) {
    return kind.captionPrefix + std::to_string(byte) + kind.captionSuffix;
}

std::vector<FrameBytes> LoadFrameBytes(const FrameMappingKind& kind, const std::string& framesPath,
                                       const std::string& mappingPath) {
    std::vector<FrameBytes> frames;
    const auto list = ReadRowList(framesPath);
    if (!list) return frames;
    for (size_t i = 0; i < list->rows.size(); ++i) frames.push_back(FrameOfRow(kind, list->rows[i], i, framesPath));
    if (frames.empty()) return frames;

    const auto mapping = ReadRowList(mappingPath);
    if (!mapping) return frames;
    const size_t rows = std::min(frames.size(), mapping->rows.size());
    for (size_t i = 0; i < rows; ++i) {
        for (int byte = 1; byte <= kFrameDataByteCount; ++byte) {
            if (frames[i].InUse(byte))
                frames[i].targets[byte - 1] = TargetOfRow(mapping->rows[i], i, frames[i], byte, mappingPath);
        }
    }
    return frames;
}

std::string FrameName(const std::string& mnemonic, const std::string& dataPage, const std::string& pgn,
                      const std::string& sourceAddress) {
    if (!TrimBlanks(mnemonic).empty()) return mnemonic;
    std::string name;
    for (const std::string& part :
         {IdentityPart(dataPage, false), IdentityPart(pgn, true), IdentityPart(sourceAddress, false)}) {
        if (part.empty()) continue;
        if (!name.empty()) name += ' ';
        name += part;
    }
    return name;
}

uint8_t FrameDataLength(bool transportProtocol, int32_t transportBytes) {
    if (!transportProtocol) return kFrameDataByteCount;
    return static_cast<uint8_t>(std::clamp(transportBytes, 0, kFrameDataByteCount));
}

std::string TargetText(uint8_t target) { return target == kNoPosition ? "none" : std::to_string(target); }

ByteFieldReading ReadByteField(const std::string& text, int byte) {
    std::string trimmed = TrimBlanks(text);
    std::string upper = trimmed;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper.empty() || upper == "NONE") return {kNoPosition, {}};
    const int32_t value = IntegerText(trimmed, -1);
    if (value >= 0 && value < kMappedPositions) return {static_cast<uint8_t>(value), {}};
    return {std::nullopt, "Error Byte " + std::to_string(byte) + "!! Value have to be between 0 to 127 or none. "};
}

std::optional<std::string> CheckPositionCollisions(const std::vector<FrameBytes>& frames) {
    struct Taker {
        size_t frame;
        int byte;
    };
    std::array<std::optional<Taker>, kMappedPositions> taken;
    for (size_t frame = 0; frame < frames.size(); ++frame) {
        for (int byte = 1; byte <= kFrameDataByteCount; ++byte) {
            const uint8_t position = frames[frame].targets[byte - 1];
            if (position >= kMappedPositions) continue;  // none
            if (const auto& first = taken[position]) {
                return "Error!! The Byte " + std::to_string(position) + " is used in COB ID " +
                       EchoedText(frames[frame].name) + " in Byte " + std::to_string(byte) + " and in COB ID " +
                       EchoedText(frames[first->frame].name) + " in Byte " + std::to_string(first->byte) + " ";
            }
            taken[position] = Taker{frame, byte};
        }
    }
    return std::nullopt;
}

void SaveFrameBytes(const FrameMappingKind& kind, const std::string& path, const std::vector<FrameBytes>& frames) {
    std::vector<NamedTexts> rows;
    rows.reserve(frames.size());
    for (const FrameBytes& frame : frames) {
        NamedTexts attributes;
        for (int byte = 1; byte <= kFrameDataByteCount; ++byte)
            attributes.emplace_back(TargetAttribute(byte),
                                    std::to_string(frame.InUse(byte) ? frame.targets[byte - 1] : kNoPosition));
        rows.push_back(std::move(attributes));
    }
    WriteRowList(path, kind.rootName, rows);
}

}  // namespace kestrova
