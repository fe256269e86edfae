#include "core/dbc/j1939_identifier.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(J1939Identifier, DecodesTheFieldsThePgnAndThePgnAsTheListsStoreIt) {
    struct Case {
        uint32_t identifier;
        int priority, extendedDataPage, dataPage, pduSpecific, sourceAddress;
        bool pdu1;
        const char* pgn;
        int fullPgn;
        const char* framePgn;  // PF and PS: a PDU1 row keeps its destination
        int destination;
    };
    for (const Case& c : {
             Case{0x0CF00400, 3, 0, 0, 0x04, 0, false, "0xF004", 0xF004, "0xF004", -1},
             Case{0x18FEF100, 6, 0, 0, 0xF1, 0, false, "0xFEF1", 0xFEF1, "0xFEF1", -1},
             // PDU1: PS is the destination address, left out of the J1939 PGN, kept in the row's
             Case{0x18EA00FE, 6, 0, 0, 0x00, 0xFE, true, "0xEA00", 0xEA00, "0xEA00", 0},
             Case{0x18EF2A11, 6, 0, 0, 0x2A, 0x11, true, "0xEF00", 0xEF00, "0xEF2A", 0x2A},
             Case{0x09566D24, 2, 0, 1, 0x6D, 0x24, true, "0x5600", 0x15600, "0x566D", 0x6D},
             Case{0x18EFFF11, 6, 0, 0, 0xFF, 0x11, true, "0xEF00", 0xEF00, "0xEFFF", 0xFF},
             Case{0x18F00011, 6, 0, 0, 0x00, 0x11, false, "0xF000", 0xF000, "0xF000", -1},  // first PDU2
             Case{0x19FF1017, 6, 0, 1, 0x10, 23, false, "0xFF10", 0x1FF10, "0xFF10", -1},
             Case{0x1AFEF100, 6, 1, 0, 0xF1, 0, false, "0xFEF1", 0xFEF1, "0xFEF1", -1},
             Case{0x1FFFFFFF, 7, 1, 1, 0xFF, 0xFF, false, "0xFFFF", 0x1FFFF, "0xFFFF", -1},
             Case{0x00000000, 0, 0, 0, 0x00, 0, true, "0x0000", 0, "0x0000", 0},
         }) {
        const J1939Identifier fields = DecodeJ1939Identifier(c.identifier);
        SCOPED_TRACE(c.pgn);
        EXPECT_EQ(fields.priority, c.priority);
        EXPECT_EQ(fields.extendedDataPage, c.extendedDataPage);
        EXPECT_EQ(fields.dataPage, c.dataPage);
        EXPECT_EQ(fields.pduSpecific, c.pduSpecific);
        EXPECT_EQ(fields.sourceAddress, c.sourceAddress);
        EXPECT_EQ(fields.Pdu1(), c.pdu1);
        EXPECT_EQ(FramePgnText(fields.Pgn()), c.pgn);
        EXPECT_EQ(fields.FullPgn(), c.fullPgn);
        EXPECT_EQ(FramePgnText(fields.FramePgn()), c.framePgn);
        EXPECT_EQ(fields.DestinationAddress(), c.destination);
    }
}

}  // namespace
}  // namespace kestrova
