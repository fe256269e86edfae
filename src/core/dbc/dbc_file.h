#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

// The message definitions of a DBC file (a CAN database). Read are the messages
// (BO_ <identifier> <name>: <length> <transmitter>), the names of their signals (SG_), their
// comments (CM_ BO_) and their frame format (BA_ "VFrameFormat" BO_, named through its
// BA_DEF_ list); every other section is skipped.

inline constexpr long long kMaxDbcFileBytes = 32LL * 1024 * 1024;
inline constexpr int kMaxDbcMessageLength = 1785;  // the longest J1939 transport-protocol message

struct DbcMessage {
    std::string name;
    uint32_t identifier = 0;  // without the extended-frame bit
    bool extended = false;    // a 29-bit identifier: bit 31 of the DBC identifier was set
    int length = 0;           // bytes
    std::string transmitter;
    std::vector<std::string> signalNames;
    std::string comment;      // UTF-8 (a comment in Windows-1252 is converted)
    std::string frameFormat;  // "J1939PG", "StandardCAN"...; empty when the file gives none
    size_t line = 0;          // of its BO_ line

    // The identifier as the DBC file writes it (bit 31 set for a 29-bit identifier).
    uint32_t DbcIdentifier() const { return identifier | (extended ? 0x80000000u : 0u); }
};

struct DbcFile {
    std::vector<DbcMessage> messages;  // in file order
};

// Reads DBC text; `origin` names it in messages. Throws Error naming the line for a file that
// is not text, a malformed BO_, SG_, CM_ BO_ or BA_ "VFrameFormat" line, a name used twice,
// an identifier out of range, or a quoted text left open.
DbcFile ParseDbc(const std::string& text, const std::string& origin);
// The same for a file (at most kMaxDbcFileBytes).
DbcFile ReadDbcFile(const std::string& path);

}  // namespace kestrova
