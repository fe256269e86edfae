#include "core/dbc/j1939_identifier.h"

#include <cstdio>

namespace kestrova {

J1939Identifier DecodeJ1939Identifier(uint32_t identifier) {
    J1939Identifier fields;
    fields.priority = static_cast<int>((identifier >> 26) & 0x7);
    fields.extendedDataPage = static_cast<int>((identifier >> 25) & 0x1);
    fields.dataPage = static_cast<int>((identifier >> 24) & 0x1);
    fields.pduFormat = static_cast<int>((identifier >> 16) & 0xFF);
    fields.pduSpecific = static_cast<int>((identifier >> 8) & 0xFF);
    fields.sourceAddress = static_cast<int>(identifier & 0xFF);
    return fields;
}

std::string FramePgnText(int pgn) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(pgn) & 0xFFFFu);
    return text;
}

}  // namespace kestrova
