#pragma once

#include <cstdint>
#include <string>

namespace kestrova {

// The fields of a 29-bit J1939 CAN identifier.
struct J1939Identifier {
    int priority = 0;          // bits 26-28
    int extendedDataPage = 0;  // bit 25
    int dataPage = 0;          // bit 24
    int pduFormat = 0;         // PF, bits 16-23
    int pduSpecific = 0;       // PS, bits 8-15: the destination address of a PDU1 frame
    int sourceAddress = 0;     // bits 0-7

    // PDU1 (PF below 240): addressed to one node, PS is its address and not part of the PGN.
    bool Pdu1() const { return pduFormat < 240; }
    // The J1939 PGN without its data page: PF * 256 + PS for PDU2 frames, PF * 256 for PDU1.
    int Pgn() const { return pduFormat * 256 + (Pdu1() ? 0 : pduSpecific); }
    // The whole PGN with its data page: dataPage * 0x10000 + Pgn().
    int FullPgn() const { return dataPage * 0x10000 + Pgn(); }
    // The PGN as the frame lists store it: the 16 bits of PF and PS, so a PDU1 row keeps its
    // destination address in the low byte (the gateway builds the identifier from data page,
    // these bits and the source address).
    int FramePgn() const { return pduFormat * 256 + pduSpecific; }
    // The destination address of a PDU1 frame; -1 for a PDU2 frame (sent to all).
    int DestinationAddress() const { return Pdu1() ? pduSpecific : -1; }
};

// Splits a 29-bit identifier (higher bits are ignored) into its fields.
J1939Identifier DecodeJ1939Identifier(uint32_t identifier);

// "0x" and four upper-case hexadecimal digits, as a PGN is written in the frame lists.
std::string FramePgnText(int pgn);

}  // namespace kestrova
