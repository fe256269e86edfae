#include "core/replay/trace_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/project/error.h"

namespace kestrova {
namespace {

// One read of the file; a line is at most kMaxTraceLineBytes, so a block always holds one.
constexpr size_t kReadBlockBytes = 256 * 1024;
static_assert(kReadBlockBytes > 2 * kMaxTraceLineBytes, "a block holds a whole line");

// The integer part of a time fits nanoseconds in 64 bits.
constexpr int kMaxTimeIntegerDigits = 10;
constexpr int64_t kMaxTimeSeconds = 9000000000LL;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The words of a line, one after the other.
class Words {
public:
    explicit Words(std::string_view line) : line_(line) {}
    std::string_view Next() {
        while (at_ < line_.size() && IsBlank(line_[at_])) ++at_;
        const size_t start = at_;
        while (at_ < line_.size() && !IsBlank(line_[at_])) ++at_;
        return line_.substr(start, at_ - start);
    }
    std::string_view Peek() {
        const size_t at = at_;
        const std::string_view word = Next();
        at_ = at;
        return word;
    }

private:
    std::string_view line_;
    size_t at_ = 0;
};

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// "1436509052.249713", any number of decimals (nanoseconds kept); false for anything else.
bool ReadTime(std::string_view text, int64_t& ns) {
    size_t at = 0;
    int64_t seconds = 0;
    while (at < text.size() && IsDigit(text[at])) {
        if (at >= kMaxTimeIntegerDigits) return false;
        seconds = seconds * 10 + (text[at] - '0');
        ++at;
    }
    if (at == 0 || seconds > kMaxTimeSeconds) return false;
    int64_t fraction = 0;
    int64_t scale = 1000000000;
    if (at < text.size()) {
        if (text[at] != '.') return false;
        ++at;
        for (; at < text.size(); ++at) {
            if (!IsDigit(text[at])) return false;
            if (scale > 1) {
                scale /= 10;
                fraction += (text[at] - '0') * scale;
            }
        }
    }
    ns = seconds * 1000000000 + fraction;
    return true;
}

bool ReadHex(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (const char c : text) {
        const int digit = HexValue(c);
        if (digit < 0) return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return true;
}

bool ReadDecimal(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t wide = 0;
    for (const char c : text) {
        if (!IsDigit(c)) return false;
        wide = wide * 10 + static_cast<uint64_t>(c - '0');
    }
    if (wide > 0xFFFFFFFFu) return false;
    value = static_cast<uint32_t>(wide);
    return true;
}

void Malformed(TraceLine& out, const char* problem) {
    out.kind = TraceLineKind::Malformed;
    out.problem = problem;
}

void Skip(TraceLine& out, SkipKind kind) {
    out.kind = TraceLineKind::Skipped;
    out.skip = kind;
}

constexpr uint32_t kErrorFlag = 0x20000000;         // candump: an error frame's class bits
constexpr uint32_t kExtendedDataPage = 0x02000000;  // identifier bit 25
constexpr uint32_t kMaxExtendedIdentifier = 0x1FFFFFFF;

// A CAN frame read from any format: the kinds that are not replayed are counted by kind.
struct ReadFrame {
    uint32_t identifier = 0;
    bool extended = false;
    bool remote = false;
    bool error = false;
    bool canFd = false;
};

void Classify(const ReadFrame& frame, TraceLine& out) {
    out.isFrameLine = true;
    if (frame.error)
        Skip(out, SkipKind::ErrorFrame);
    else if (frame.canFd)
        Skip(out, SkipKind::CanFdFrame);
    else if (frame.remote)
        Skip(out, SkipKind::RemoteFrame);
    else if (!frame.extended)
        Skip(out, SkipKind::StandardFrame);
    else if (frame.identifier & kExtendedDataPage)
        Skip(out, SkipKind::ExtendedDataPage);
    else {
        out.kind = TraceLineKind::Frame;
        out.frame.identifier = frame.identifier;
    }
}

// The identifier of candump: 3 hexadecimal digits for 11 bits, 8 for 29 bits (or an error
// frame's class with its flag).
bool ReadCandumpIdentifier(std::string_view text, ReadFrame& frame, TraceLine& out) {
    if ((text.size() != 3 && text.size() != 8) || !ReadHex(text, frame.identifier)) {
        Malformed(out, "the identifier is not 3 or 8 hexadecimal digits");
        return false;
    }
    frame.extended = text.size() == 8;
    if (frame.extended && (frame.identifier & kErrorFlag)) frame.error = true;
    if (frame.extended && !frame.error && frame.identifier > kMaxExtendedIdentifier) {
        Malformed(out, "the identifier is larger than 29 bits");
        return false;
    }
    return true;
}

// "18FEF100#0102030405060708", "123#R", "123##1AABB" (CAN FD), bytes optionally separated by
// dots, "_C" after eight bytes for a raw length code.
void ReadCandumpLogFrame(std::string_view text, TraceLine& out) {
    const size_t hash = text.find('#');
    ReadFrame frame;
    if (!ReadCandumpIdentifier(text.substr(0, hash), frame, out)) return;
    std::string_view data = text.substr(hash + 1);
    if (!data.empty() && data[0] == '#') {
        frame.canFd = true;
    } else if (!data.empty() && (data[0] == 'R' || data[0] == 'r')) {
        frame.remote = true;
    } else {
        if (data.size() >= 2 && data[data.size() - 2] == '_' && HexValue(data.back()) >= 0) data.remove_suffix(2);
        uint8_t length = 0;
        for (size_t at = 0; at < data.size();) {
            if (data[at] == '.') {
                ++at;
                continue;
            }
            const int high = HexValue(data[at]);
            const int low = at + 1 < data.size() ? HexValue(data[at + 1]) : -1;
            if (high < 0 || low < 0) return Malformed(out, "the data are not pairs of hexadecimal digits");
            if (length == 8) return Malformed(out, "more than 8 data bytes");
            out.frame.data[length++] = static_cast<uint8_t>(high << 4 | low);
            at += 2;
        }
        out.frame.length = length;
    }
    Classify(frame, out);
}

// "18FEF100   [8]  01 02 03 04 05 06 07 08" (after the interface), "123   [0]  remote request".
void ReadCandumpScreenFrame(std::string_view identifier, Words& words, TraceLine& out) {
    ReadFrame frame;
    if (!ReadCandumpIdentifier(identifier, frame, out)) return;
    const std::string_view lengthWord = words.Next();
    uint32_t length = 0;
    if (lengthWord.size() < 3 || lengthWord.front() != '[' || lengthWord.back() != ']' ||
        !ReadDecimal(lengthWord.substr(1, lengthWord.size() - 2), length) || length > 64)
        return Malformed(out, "the length is not a number in brackets");
    if (length > 8) {
        frame.canFd = true;
    } else if (words.Peek() == "remote") {
        frame.remote = true;
    } else {
        for (uint32_t i = 0; i < length; ++i) {
            const std::string_view byte = words.Next();
            if (byte.size() != 2 || HexValue(byte[0]) < 0 || HexValue(byte[1]) < 0)
                return Malformed(out, "fewer data bytes than the length says");
            out.frame.data[i] = static_cast<uint8_t>(HexValue(byte[0]) << 4 | HexValue(byte[1]));
        }
        out.frame.length = static_cast<uint8_t>(length);
    }
    Classify(frame, out);
}

// After "(time)" or at the start of a line: the interface and a frame in either candump format.
void ReadCandumpFrame(Words& words, TraceLine& out) {
    const std::string_view interface = words.Next();
    const std::string_view frame = words.Next();
    if (interface.empty() || frame.empty()) return Malformed(out, "not a frame line");
    if (frame.find('#') != std::string_view::npos) return ReadCandumpLogFrame(frame, out);
    ReadCandumpScreenFrame(frame, words, out);
}

// "base hex  timestamps absolute"
void ReadAscBase(Words& words, TraceReaderState& state) {
    for (std::string_view word = words.Next(); !word.empty(); word = words.Next()) {
        if (EqualsNoCase(word, "hex")) state.ascDecimal = false;
        if (EqualsNoCase(word, "dec")) state.ascDecimal = true;
        if (EqualsNoCase(word, "absolute")) state.ascRelative = false;
        if (EqualsNoCase(word, "relative")) state.ascRelative = true;
    }
}

bool IsAscHeaderWord(std::string_view word) {
    for (const char* header : {"date", "base", "internal", "no", "begin", "end", "start", "version"})
        if (EqualsNoCase(word, header)) return true;
    return false;
}

bool ReadAscNumber(std::string_view text, const TraceReaderState& state, uint32_t& value) {
    return state.ascDecimal ? ReadDecimal(text, value) : ReadHex(text, value);
}

// After the time and the channel: "18FEF100x  Rx  d 8 01 02 03 04 05 06 07 08  Length = ...",
// "123  Tx  r", "ErrorFrame", status events.
void ReadAscEvent(std::string_view identifier, Words& words, const TraceReaderState& state, TraceLine& out) {
    if (EqualsNoCase(identifier, "ErrorFrame")) {
        out.isFrameLine = true;
        return Skip(out, SkipKind::ErrorFrame);
    }
    if (identifier.find(':') != std::string_view::npos || StartsWith(identifier, "Status") ||
        StartsWith(identifier, "Chip") || StartsWith(identifier, "Statistic"))
        return Skip(out, SkipKind::Status);
    ReadFrame frame;
    if (!identifier.empty() && (identifier.back() == 'x' || identifier.back() == 'X')) {
        frame.extended = true;
        identifier.remove_suffix(1);
    }
    if (!ReadAscNumber(identifier, state, frame.identifier) ||
        frame.identifier > (frame.extended ? kMaxExtendedIdentifier : 0x7FFu))
        return Malformed(out, "the identifier cannot be read");
    std::string_view word = words.Next();
    if (EqualsNoCase(word, "Rx") || EqualsNoCase(word, "Tx") || EqualsNoCase(word, "TxRq")) word = words.Next();
    if (word == "r" || word == "R") {
        frame.remote = true;
    } else if (word == "d" || word == "D") {
        uint32_t length = 0;
        if (!ReadAscNumber(words.Next(), state, length) || length > 8)
            return Malformed(out, "the length code is not 0 to 8");
        for (uint32_t i = 0; i < length; ++i) {
            uint32_t byte = 0;
            if (!ReadAscNumber(words.Next(), state, byte) || byte > 0xFF)
                return Malformed(out, "fewer data bytes than the length code says");
            out.frame.data[i] = static_cast<uint8_t>(byte);
        }
        out.frame.length = static_cast<uint8_t>(length);
    } else {
        return Malformed(out, "no \"d\" or \"r\" after the identifier");
    }
    Classify(frame, out);
}

void ReadTimedLine(std::string_view time, Words& words, TraceReaderState& state, TraceLine& out) {
    int64_t ns = 0;
    if (!ReadTime(time, ns)) return Malformed(out, "the time cannot be read");
    out.hasTime = true;
    out.timeText = time;
    state.ascTimeNs = state.ascRelative ? state.ascTimeNs + ns : ns;
    out.timeNs = state.ascTimeNs;
    const std::string_view second = words.Next();
    if (second.empty()) return Malformed(out, "a time without an event");
    if (second == "CANFD") {
        out.isFrameLine = true;
        return Skip(out, SkipKind::CanFdFrame);
    }
    if (second == "J1939TP") return Skip(out, SkipKind::J1939Tp);
    if (EqualsNoCase(second, "Start") || EqualsNoCase(second, "End")) return Skip(out, SkipKind::Header);
    uint32_t channel = 0;
    if (!ReadDecimal(second, channel)) {
        // "CAN 1 Status:chip status error active", "SV: ...": events other than frames
        if (second == "CAN" || second.find(':') != std::string_view::npos) return Skip(out, SkipKind::Status);
        return Malformed(out, "neither a channel nor an event after the time");
    }
    ReadAscEvent(words.Next(), words, state, out);
}

}  // namespace

const char* SkipKindText(SkipKind kind) {
    switch (kind) {
        case SkipKind::StandardFrame:
            return "standard (11-bit) frames";
        case SkipKind::RemoteFrame:
            return "remote frames";
        case SkipKind::ErrorFrame:
            return "error frames";
        case SkipKind::ExtendedDataPage:
            return "frames with the extended data page bit";
        case SkipKind::CanFdFrame:
            return "CAN FD frames";
        case SkipKind::Header:
            return "header lines";
        case SkipKind::Comment:
            return "comment lines";
        case SkipKind::Status:
            return "status lines";
        case SkipKind::J1939Tp:
            return "J1939TP lines";
    }
    return "";
}

void ReadTraceLine(std::string_view line, TraceReaderState& state, TraceLine& out) {
    out.kind = TraceLineKind::Blank;
    out.problem.clear();
    out.isFrameLine = false;
    out.hasTime = false;
    out.timeNs = 0;
    out.timeText = {};
    out.frame.length = 0;

    size_t start = 0;
    while (start < line.size() && IsBlank(line[start])) ++start;
    if (start == line.size()) return;
    const std::string_view rest = line.substr(start);

    if (rest[0] == '(') {  // candump with a time: "(1436509052.249713) can0 ..."
        const size_t close = rest.find(')');
        if (close == std::string_view::npos) return Malformed(out, "the time has no closing parenthesis");
        const std::string_view time = rest.substr(1, close - 1);
        if (!ReadTime(time, out.timeNs)) return Malformed(out, "the time cannot be read");
        out.hasTime = true;
        out.timeText = time;
        Words words(rest.substr(close + 1));
        return ReadCandumpFrame(words, out);
    }
    if (StartsWith(rest, "//")) return Skip(out, SkipKind::Comment);
    Words words(rest);
    const std::string_view first = words.Next();
    if (IsDigit(first[0])) return ReadTimedLine(first, words, state, out);
    if (IsAscHeaderWord(first)) {
        if (EqualsNoCase(first, "base")) ReadAscBase(words, state);
        return Skip(out, SkipKind::Header);
    }
    Words frameWords(rest);  // candump screen format without a time: "can0  18FEF100   [8]  ..."
    ReadCandumpFrame(frameWords, out);
}

TraceLines::TraceLines(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw Error("Cannot open file " + path + ": " + SystemReason(errno));
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw Error("Cannot open file " + path + ": " + SystemReason(EISDIR));
    }
    buffer_.resize(kReadBlockBytes);
    text_ = std::string_view(buffer_.data(), 0);
}

TraceLines::TraceLines(std::string_view text) : text_(text), endOfFile_(true) {}

TraceLines::~TraceLines() {
    if (fd_ >= 0) ::close(fd_);
}

// Moves the unread rest to the front of the buffer and reads after it; false at the end.
bool TraceLines::Fill() {
    if (endOfFile_) return false;
    const size_t kept = text_.size();
    if (kept > 0 && text_.data() != buffer_.data()) std::memmove(buffer_.data(), text_.data(), kept);
    ssize_t count;
    do {
        count = ::read(fd_, buffer_.data() + kept, buffer_.size() - kept);
    } while (count < 0 && errno == EINTR);
    if (count < 0) throw Error("Cannot read file " + path_ + ": " + SystemReason(errno));
    if (count == 0) endOfFile_ = true;
    text_ = std::string_view(buffer_.data(), kept + static_cast<size_t>(count));
    return count > 0;
}

bool TraceLines::Next(std::string_view& line) {
    overlong_ = false;
    for (;;) {
        const size_t end = text_.find('\n');
        if (end != std::string_view::npos && end <= kMaxTraceLineBytes) {
            line = text_.substr(0, end);
            text_.remove_prefix(end + 1);
            break;
        }
        if (end == std::string_view::npos && text_.size() <= kMaxTraceLineBytes && Fill()) continue;
        if (text_.empty()) return false;
        if (end == std::string_view::npos && text_.size() <= kMaxTraceLineBytes) {  // last line, no line end
            line = text_;
            text_ = {};
            break;
        }
        // Longer than a trace line: hand out its start, drop the rest up to the line end.
        overlong_ = true;
        line = text_.substr(0, kMaxTraceLineBytes);
        std::string_view rest = text_.substr(kMaxTraceLineBytes);
        std::string cut(line);  // the buffer moves while the rest is dropped
        for (;;) {
            const size_t lineEnd = rest.find('\n');
            if (lineEnd != std::string_view::npos) {
                text_ = rest.substr(lineEnd + 1);
                break;
            }
            text_ = {};
            if (!Fill()) break;
            rest = text_;
        }
        overlongLine_ = std::move(cut);
        line = overlongLine_;
        break;
    }
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

}  // namespace kestrova
