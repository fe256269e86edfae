#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/project/project_context.h"

namespace kestrova {

// J1939 mistakes the editors let through, found in the project's documents. Each rule is one
// function over the values the image builder reads, so a window can show the same warnings.

struct LintWarning {
    std::string document;  // "Receive_Frame.xml"
    int row = 0;           // from 1 in document order; 0 for the document as a whole
    std::string reason;

    // "Receive_Frame.xml row 3: <reason>", or "Receive_Info.xml: <reason>"
    std::string Text() const;
};

// The J1939 identity of one frame-list row, as far as its values are integers.
struct FrameIdentity {
    std::optional<int32_t> dataPage, pgn, sourceAddress;
};

// Receive frames come from one node: 254 (null) and 255 (global) are no sender's address.
std::optional<std::string> ReceiveFromReservedAddress(int32_t sourceAddress);
// A run of a transport-protocol message that ends within its first 8 bytes: a message of up
// to 8 bytes travels in a single frame, never with the transport protocol.
std::optional<std::string> ShortTransportFrame(int32_t startByte, int32_t byteCount);
// A send frame on timer Tn needs at least n timers in TimerDef.xml.
std::optional<std::string> TimerNotDefined(int32_t transmissionType, size_t timers);
// The rows of a list with the data page, PGN and source address of an earlier row: for each
// such row (index from 0), the index of the first row with that identity.
std::vector<std::pair<size_t, size_t>> RepeatedIdentities(const std::vector<FrameIdentity>& frames);
// A mapping document (Receive_Info.xml, Send_Info.xml) with a row count other than its
// frame list's.
std::optional<std::string> StaleMapping(size_t mappingRows, size_t frames, const std::string& frameList);

// Every warning of the project, document by document, rows in order. Throws Error when a
// document does not parse.
std::vector<LintWarning> LintProject(const ProjectContext& context);

}  // namespace kestrova
