#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

// The message definitions of a DBC file (a CAN database). Read are the messages
// (BO_ <identifier> <name>: <length> <transmitter>), the names of their signals (SG_), their
// comments (CM_ BO_), their frame format (BA_ "VFrameFormat" BO_, named through its BA_DEF_
// list) and their full names (BA_ "SystemMessageLongSymbol" BO_, for names the BO_ line cuts
// to 32 characters); every other section is skipped.

inline constexpr long long kMaxDbcFileBytes = 32LL * 1024 * 1024;
inline constexpr int kMaxDbcMessageLength = 1785;  // the longest J1939 transport-protocol message
// The longest full name taken from "SystemMessageLongSymbol": the name becomes the Mnemonic,
// and a cell of the frame editors holds at most this many characters. A longer one is not
// taken; the message keeps the name of its BO_ line.
inline constexpr size_t kMaxLongNameLength = 32767;

struct DbcMessage {
    std::string name;         // its full name: the long name when the file gives one, else the BO_ name
    std::string symbol;       // the name on its BO_ line (cut to 32 characters when a long name exists)
    uint32_t identifier = 0;  // without the extended-frame bit
    bool extended = false;    // a 29-bit identifier: bit 31 of the DBC identifier was set
    int length = 0;           // bytes
    std::string transmitter;
    std::vector<std::string> signalNames;
    std::string comment;      // UTF-8 (a comment in Windows-1252 is converted)
    std::string frameFormat;  // "J1939PG", "StandardCAN"...; empty when the file gives none
    size_t line = 0;          // of its BO_ line
    // Why the message cannot be imported, found in its own definition (an identifier out of
    // range, a name that is not a DBC name, a name used twice...); empty when it can.
    std::string problem;

    // The identifier as the DBC file writes it (bit 31 set for a 29-bit identifier).
    uint32_t DbcIdentifier() const { return identifier | (extended ? 0x80000000u : 0u); }
};

struct DbcFile {
    std::vector<DbcMessage> messages;  // in file order
};

// Reads DBC text; `origin` names it in messages. Throws Error naming the line for a file that
// is not text, a BO_ line that is not a message definition, a signal outside a message, a
// malformed CM_ BO_, BA_ "VFrameFormat" or BA_ "SystemMessageLongSymbol" line, or a quoted
// text left open. What is odd about one message only (an identifier out of range, a message
// or signal name that is not a DBC name, a name used twice, a length above 1785, a malformed
// signal line) is kept as that message's `problem`; the other messages are read as usual.
DbcFile ParseDbc(const std::string& text, const std::string& origin);
// The same for a file (at most kMaxDbcFileBytes).
DbcFile ReadDbcFile(const std::string& path);

}  // namespace kestrova
