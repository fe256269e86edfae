#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// Recorded CAN traces, read line by line with bounded memory. The format is recognised by the
// line itself:
//   candump -l log      "(1436509052.249713) can0 18FEF100#0102030405060708"
//   candump screen      "  can0  18FEF100   [8]  01 02 03 04 05 06 07 08", with or without
//                       a time in parentheses before the interface
//   Vector ASC          "   0.004000 1  18FEF100x       Rx   d 8 01 02 03 04 05 06 07 08"
//                       under a header ("date", "base hex  timestamps absolute", ...)

// A longer line is not a trace line (it is reported as malformed and skipped to its end).
inline constexpr size_t kMaxTraceLineBytes = 4096;

// The lines of a trace file or of a text in memory; never holds more than one read block.
class TraceLines {
public:
    // Opens the file; throws Error when it cannot be opened or is a directory.
    explicit TraceLines(const std::string& path);
    // Reads a text in memory (the text must outlive the reader).
    explicit TraceLines(std::string_view text);
    ~TraceLines();
    TraceLines(const TraceLines&) = delete;
    TraceLines& operator=(const TraceLines&) = delete;

    // The next line without its line end (LF or CR LF); false at the end of the text. A line
    // longer than kMaxTraceLineBytes is handed out cut to that length with Overlong() true.
    // Throws Error when the file cannot be read.
    bool Next(std::string_view& line);
    size_t LineNumber() const { return lineNumber_; }  // of the last line handed out, from 1
    bool Overlong() const { return overlong_; }

private:
    bool Fill();

    int fd_ = -1;
    std::string path_;
    std::vector<char> buffer_;
    std::string_view text_;     // the unread rest (memory), or the buffered rest (file)
    std::string overlongLine_;  // the start of the last overlong line
    size_t lineNumber_ = 0;
    bool overlong_ = false;
    bool endOfFile_ = false;
};

// What a line of a trace holds.
enum class TraceLineKind {
    Blank,      // nothing but blanks
    Frame,      // an extended (29-bit) data frame: replayed
    Skipped,    // counted by its kind and not replayed
    Malformed,  // a frame line that cannot be read
};

// The kinds of lines that are counted and not replayed.
enum class SkipKind {
    StandardFrame,  // 11-bit identifier
    RemoteFrame,
    ErrorFrame,
    ExtendedDataPage,  // identifier bit 25 set
    CanFdFrame,
    Header,   // ASC header lines
    Comment,  // ASC "//" lines
    Status,   // ASC status and statistics events
    J1939Tp,  // ASC messages a tool already reassembled ("J1939TP")
};
inline constexpr size_t kSkipKinds = 9;
// "standard frames", "remote frames"... for the summary.
const char* SkipKindText(SkipKind kind);

struct TraceFrame {
    uint32_t identifier = 0;  // 29 bits
    uint8_t length = 0;       // data bytes, 0 to 8
    uint8_t data[8] = {};
};

// One line read.
struct TraceLine {
    TraceLineKind kind = TraceLineKind::Blank;
    SkipKind skip = SkipKind::Header;
    std::string problem;       // Malformed: what is wrong, in words
    bool isFrameLine = false;  // a CAN frame of any kind (also a skipped one)
    bool hasTime = false;
    int64_t timeNs = 0;         // the line's time (ASC relative times summed up), nanoseconds
    std::string_view timeText;  // the time as written, without parentheses (into the line)
    TraceFrame frame;           // Frame
};

// What a reader remembers from line to line: the ASC header's number base and time mode.
struct TraceReaderState {
    bool ascDecimal = false;
    bool ascRelative = false;
    int64_t ascTimeNs = 0;  // relative ASC times: the time of the last event
};

// Reads one line (without its line end). `out.timeText` points into `line`.
void ReadTraceLine(std::string_view line, TraceReaderState& state, TraceLine& out);

}  // namespace kestrova
