#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/outputs/bank_image.h"

namespace kestrova {

// The first inconsistency of an image: where it lies and why it cannot be what the builder
// writes.
struct BankImageFault {
    size_t offset = 0;  // byte offset in the file
    std::string reason;

    // "byte 12: <reason>"
    std::string Text() const;
};

// The records read back from the bytes of a configuration image; `fault` tells why the bytes
// are not an image (the records then hold what was read before it).
struct BankImageDecoding {
    BankImage image;
    std::optional<BankImageFault> fault;
};

// Reads an image back into the records BuildBankImage makes (mnemonics stay empty: the image
// carries none). The structure is checked as the builder lays it out:
//   size      at least the 16-byte header, at most the bank's capacity
//   header    receive table at 16, the four offsets in order and inside the file
//   sections  receive 14, send 6 and timer 4 bytes per record; the parameter block 19 or 0
//   records   transport protocol 0 or 1; without it start byte 0 and data length 8; flag bits
//             2 to 7 clear; each data offset the sum of the data lengths before it (mod 256)
//   block     data lengths and frame and timer counts those of the sections (mod 256)
// Any bytes at all are accepted as input: the result is a fault, never a crash. An image
// decoded without a fault gives the same bytes again through BankImageBytes.
BankImageDecoding DecodeBankImage(std::string_view bytes);

// Reads and decodes an image file; throws Error "<path>: byte N: <reason>" for bytes that are
// not an image and Error with the system's reason for a file that cannot be read.
BankImage ReadBankImageFile(const std::string& path);

}  // namespace kestrova
