#pragma once

#include <string>
#include <vector>

#include "core/outputs/bank_image.h"

namespace kestrova {

// The image in the user's words: one line per receive frame, send frame and timer, the
// parameter block with the captions and texts of the communication window ("250K",
// "CAN 2.0B 29Bit"). The same words name the differences that verify lists.

// "0xFEF1": a PGN as the editors show it, four upper-case hexadecimal digits.
std::string PgnText(uint16_t pgn);
// "on data change", "on timer T3", or "transmission type 12 (no timer of the gateway)".
std::string TransmissionText(uint8_t type);

// One field of a record or of the parameter block: its name and the stored value with its
// meaning where the windows show one ("5 (250K)", "1000 ms", "0 (not checked)", "0xFEF1").
struct ImageField {
    std::string name;
    std::string value;
};
std::vector<ImageField> ReceiveFrameFields(const ReceiveFrameRecord& frame);
std::vector<ImageField> SendFrameFields(const SendFrameRecord& frame);
std::vector<ImageField> ParameterFields(const ParameterBlock& block);

// The fields as one line: "data page 0, PGN 0xFEF1, source address 0, ..."
std::string FieldsText(const std::vector<ImageField>& fields);

// The whole image as text, lines ending in LF.
std::string BankImageText(const BankImage& image);
// The same as one JSON document (an object), ending in LF.
std::string BankImageJson(const BankImage& image);

}  // namespace kestrova
