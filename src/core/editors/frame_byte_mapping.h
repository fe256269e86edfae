#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/project/project_context.h"

namespace kestrova {

// Receive_Info.xml (root `Receive_Frames_Info`) and Send_Info.xml (root `Send_Frames_Info`):
// one `row` per frame of the frame list, in the same order, with the attributes B1 to B8: the
// position in the fieldbus data image that data byte k of the frame goes to (receive) or comes
// from (send), "0" to "127", or "255" for none.

inline constexpr int kFrameDataByteCount = 8;
inline constexpr uint8_t kNoPosition = 255;
inline constexpr int kMappedPositions = 128;  // positions 0 to 127

// A frame of the list and where its data bytes go.
struct FrameBytes {
    std::string name;                                    // shown in the list and in messages
    uint8_t dataLength = 0;                              // bytes 1..dataLength are in use
    std::array<uint8_t, kFrameDataByteCount> targets{};  // target of byte k at [k - 1]

    // Byte k (1 to 8) is in use when the data length is k or more.
    bool InUse(int byte) const { return dataLength >= byte; }
};

// What tells the receive and the send mapping apart.
struct FrameMappingKind {
    std::string title;
    std::string DocumentPaths::*frameList;  // the frame list the mapping follows
    std::string DocumentPaths::*mapping;    // the mapping document
    std::string rootName;
    bool transportFrames;       // frame list rows may carry a transport protocol (receive)
    std::string captionPrefix;  // "Byte 1 of frame CAN go to byte": prefix + digit + suffix
    std::string captionSuffix;
    std::string imageCaption;  // "in DeviceNET" / "of DeviceNET"
    bool checkEveryChange;     // send: a field is checked at every change of its text
    bool checkCollisions;      // receive: two bytes may not share a position
};

const FrameMappingKind& ReceiveFrameMapping();
const FrameMappingKind& SendFrameMapping();

// The caption of byte row k (1 to 8).
std::string ByteRowCaption(const FrameMappingKind& kind, int byte);

// The frames of the frame list at `framesPath` (none when it does not exist) with the targets
// of the mapping at `mappingPath`: frame i takes row i, bytes not in use are none; frames
// without a row are none throughout and rows without a frame are dropped. A row's `COBID`
// and `Dim` give the name and data length when present; otherwise they come from the frame
// itself (FrameName, FrameDataLength). Throws Error when a document cannot be read whole:
// it does not parse, a `Dim` or the target of a byte in use is missing or not an integer, or
// a target is neither a position nor 255.
std::vector<FrameBytes> LoadFrameBytes(const FrameMappingKind& kind, const std::string& framesPath,
                                       const std::string& mappingPath);

// The name of a frame-list row without `COBID`: its Mnemonic when not blank, else data page,
// PGN in hexadecimal and source address ("0 0xFEF1 0"); a part that is not an integer is
// shown as it stands, an empty one is left out.
std::string FrameName(const std::string& mnemonic, const std::string& dataPage, const std::string& pgn,
                      const std::string& sourceAddress);

// The data length of a frame-list row without `Dim`: 8, or for a transport-protocol frame the
// smaller of its TP_NByte and 8 (0 when TP_NByte is not a count).
uint8_t FrameDataLength(bool transportProtocol, int32_t transportBytes);

// A byte field's text, as the field shows it: the position, or "none".
std::string TargetText(uint8_t target);

// What a byte field's text sets: blanks around it are dropped; empty or "none" in any case is
// none; an integer from 0 to 127 is that position. Anything else is refused with the message
// of byte k, and the target stays as it was.
struct ByteFieldReading {
    std::optional<uint8_t> target;
    std::string refusal;  // set when target is not
};
ByteFieldReading ReadByteField(const std::string& text, int byte);

// The first position two frame bytes share, as the error box shows it (frames in list order,
// bytes 1 to 8 within a frame); nothing when every position is used once at most.
std::optional<std::string> CheckPositionCollisions(const std::vector<FrameBytes>& frames);

// Rewrites the mapping document: one row per frame, B1 to B8 always written.
void SaveFrameBytes(const FrameMappingKind& kind, const std::string& path, const std::vector<FrameBytes>& frames);

}  // namespace kestrova
