#include "core/device/srecord_composer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/project_lock.h"
#include "core/project/workspace_location.h"

namespace kestrova {

namespace {

constexpr std::size_t kReadBuffer = 1024 * 1024;  // more than the longest line, with room to read
constexpr std::size_t kWriteBuffer = 256 * 1024;
constexpr long long kProgressLines = 1024;
constexpr char kHexDigits[] = "0123456789ABCDEF";

void Tell(Dialogs& dialogs, const std::string& text) { dialogs.ShowMessage(MessageKind::Information, text); }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A file descriptor closed when it goes.
class FileHandle {
public:
    explicit FileHandle(int fd = -1) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes now; false when the system reports a failure (a write that did not reach the disk).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

int OpenForReading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }

// Stage files are made afresh, never over a file that is there already (nor through a link).
int CreateExclusively(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
}

// Reads up to `size` bytes, fewer only at the end of the file; -1 on a failure.
long long ReadFully(int fd, char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::read(fd, data + done, size - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return -1;
        if (count == 0) break;
        done += static_cast<std::size_t>(count);
    }
    return static_cast<long long>(done);
}

bool WriteFully(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t count = ::write(fd, data, size);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        data += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

// Buffered output to a file made afresh.
class OutputFile {
public:
    explicit OutputFile(const std::string& path)
        : file_(CreateExclusively(path)),
          created_(file_.Valid()),
          failed_(!created_),
          exists_(failed_ && errno == EEXIST) {
        buffer_.reserve(kWriteBuffer);
    }
    // This object made the file (it is then the caller's to remove).
    bool Created() const { return created_; }
    // The file could not be made because something of that name is there.
    bool Existed() const { return exists_; }
    void Append(const char* data, std::size_t size) {
        if (buffer_.size() + size > kWriteBuffer) Flush();
        if (size > kWriteBuffer) {
            failed_ = failed_ || !WriteFully(file_.Get(), data, size);
            return;
        }
        buffer_.insert(buffer_.end(), data, data + size);
    }
    void Append(const std::string& text) { Append(text.data(), text.size()); }
    void AppendLine(const char* data, std::size_t size) {
        Append(data, size);
        Append("\r\n", 2);
    }
    bool Failed() const { return failed_; }
    // Writes what is left and closes; false when anything failed.
    bool Close() {
        Flush();
        const bool closed = file_.Close();
        return !failed_ && closed;
    }

private:
    void Flush() {
        if (!buffer_.empty() && !failed_) failed_ = !WriteFully(file_.Get(), buffer_.data(), buffer_.size());
        buffer_.clear();
    }
    FileHandle file_;
    bool created_;
    bool failed_;
    bool exists_;
    std::vector<char> buffer_;
};

// The lines of a file, each without its end (LF, or CR LF), read through one fixed buffer.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd), buffer_(kReadBuffer) {}

    bool Next(const char*& data, std::size_t& size) {
        for (;;) {
            char* start = buffer_.data() + begin_;
            const std::size_t held = end_ - begin_;
            if (const void* found = std::memchr(start, '\n', held)) {
                const std::size_t length = static_cast<const char*>(found) - start;
                if (length > kMaxSRecordLine) break;
                begin_ += length + 1;
                return Give(start, length, data, size);
            }
            if (held > kMaxSRecordLine) break;
            if (eof_) {
                if (held == 0) return false;
                begin_ = end_;
                return Give(start, held, data, size);
            }
            if (begin_ > 0) {
                std::memmove(buffer_.data(), start, held);
                begin_ = 0;
                end_ = held;
            }
            const long long count = ReadSome();
            if (count < 0) {
                failed_ = true;
                return false;
            }
            if (count == 0) eof_ = true;
            end_ += static_cast<std::size_t>(count);
        }
        failed_ = tooLong_ = true;  // a line longer than any S-record line
        return false;
    }
    bool Failed() const { return failed_; }
    bool TooLong() const { return tooLong_; }

private:
    static bool Give(const char* start, std::size_t length, const char*& data, std::size_t& size) {
        if (length > 0 && start[length - 1] == '\r') --length;
        data = start;
        size = length;
        return true;
    }
    long long ReadSome() {
        for (;;) {
            const ssize_t count = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
            if (count < 0 && errno == EINTR) continue;
            return count;
        }
    }

    int fd_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0;
    bool eof_ = false, failed_ = false, tooLong_ = false;
};

// The lines of a file (a last line without its end counts), or the number of its first line
// longer than any S-record line: counting stops there, so a huge file without line ends is
// refused after its first megabyte.
struct LineCount {
    long long lines = 0;
    long long tooLong = 0;  // 1 for the first line; 0 when every line is short enough
    bool failed = false;    // a read failure
};

LineCount CountLines(int fd) {
    std::vector<char> buffer(kReadBuffer);
    LineCount count;
    std::size_t run = 0;  // characters since the last line end
    for (;;) {
        const long long got = ReadFully(fd, buffer.data(), buffer.size());
        if (got < 0) {
            count.failed = true;
            return count;
        }
        if (got == 0) break;
        const char* at = buffer.data();
        const char* const end = at + got;
        while (const void* found = std::memchr(at, '\n', static_cast<std::size_t>(end - at))) {
            run += static_cast<std::size_t>(static_cast<const char*>(found) - at);
            if (run > kMaxSRecordLine) break;
            ++count.lines;
            run = 0;
            at = static_cast<const char*>(found) + 1;
        }
        run += static_cast<std::size_t>(end - at);
        if (run > kMaxSRecordLine) {
            count.tooLong = count.lines + 1;
            return count;
        }
    }
    if (run > 0) ++count.lines;
    return count;
}

constexpr const char* kLineTooLong = "longer than 262144 characters";
static_assert(kMaxSRecordLine == 262144, "the message names the limit");

// Address bytes of the record types S0 to S9 (S4 is not defined).
constexpr int kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

// One S-record line taken apart.
struct SRecord {
    int type = 0;
    std::uint32_t address = 0;
    int dataBytes = 0;
    std::uint8_t bytes[256] = {};  // byte count, address, data, checksum
    const std::uint8_t* Data() const { return bytes + 1 + kAddressBytes[type]; }
};

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

// The value of each byte as a hexadecimal digit; 0xFF for a byte that is not one.
const std::array<std::uint8_t, 256> kHexValue = [] {
    std::array<std::uint8_t, 256> table{};
    table.fill(0xFF);
    for (int c = 0; c < 256; ++c) {
        const int value = HexValue(static_cast<char>(c));
        if (value >= 0) table[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(value);
    }
    return table;
}();

unsigned HexDigit(char c) { return kHexValue[static_cast<unsigned char>(c)]; }

// "not a hexadecimal digit at column N" for the first such character from `from`.
bool FindNonHexDigit(const char* line, std::size_t from, std::size_t size, std::string& reason) {
    for (std::size_t at = from; at < size; ++at)
        if (HexDigit(line[at]) > 0xF) {
            reason = "not a hexadecimal digit at column " + std::to_string(at + 1);
            return true;
        }
    return false;
}

// Takes a line (without its end and trailing blanks) apart; false with the reason when it is
// not an S-record: a known type, a byte count matching the line, hexadecimal digits, the
// one's complement checksum.
bool ParseRecord(const char* line, std::size_t size, SRecord& record, std::string& reason) {
    if (size < 2 || line[0] != 'S' || line[1] < '0' || line[1] > '9') {
        reason = "not an S-record";
        return false;
    }
    record.type = line[1] - '0';
    if (record.type == 4) {
        reason = "record type S4 is not defined";
        return false;
    }
    if (size < 4) {
        reason = "no byte count";
        return false;
    }
    const unsigned count = HexDigit(line[2]) << 4 | HexDigit(line[3]);
    if (count > 0xFF || size != 4 + 2 * static_cast<std::size_t>(count)) {
        if (!FindNonHexDigit(line, 2, size, reason))
            reason = "byte count " + Hex2(count) + " does not match the line's length";
        return false;
    }
    const int addressBytes = kAddressBytes[record.type];
    if (count < static_cast<unsigned>(addressBytes) + 1) {
        reason = "byte count " + Hex2(count) + " too small for an S" + std::to_string(record.type) + " record";
        return false;
    }
    unsigned sum = count, digits = 0;
    record.bytes[0] = static_cast<std::uint8_t>(count);
    const char* text = line + 4;
    for (unsigned i = 1; i <= count; ++i, text += 2) {
        const unsigned high = HexDigit(text[0]), low = HexDigit(text[1]);
        digits |= high | low;
        record.bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
        sum += record.bytes[i];
    }
    if (digits > 0xF) {
        FindNonHexDigit(line, 4, size, reason);
        return false;
    }
    if ((sum & 0xFF) != 0xFF) {
        reason = "bad checksum";
        return false;
    }
    record.address = 0;
    for (int i = 0; i < addressBytes; ++i) record.address = record.address << 8 | record.bytes[1 + i];
    record.dataBytes = static_cast<int>(count) - addressBytes - 1;
    return true;
}

// A line without its trailing blanks; a line of blanks is empty.
std::size_t TrimmedSize(const char* line, std::size_t size) {
    while (size > 0 && (line[size - 1] == ' ' || line[size - 1] == '\t')) --size;
    return size;
}

// The bank's 512 record lines, from the first 16,384 bytes of its binary, padded with erased
// flash when it is shorter. Nothing when it cannot be read.
std::optional<std::string> BankRecords(int bank, const std::string& binaryPath) {
    FileHandle file(OpenForReading(binaryPath));
    if (!file.Valid()) return std::nullopt;
    std::vector<char> data(kBankSize, static_cast<char>(kErasedByte));
    if (ReadFully(file.Get(), data.data(), data.size()) < 0) return std::nullopt;
    std::string records;
    records.reserve(static_cast<std::size_t>(kRecordsPerBank) * 78);
    const std::uint32_t start = BankStart(bank);
    for (int k = 0; k < kRecordsPerBank; ++k)
        records += S2RecordLine(start + static_cast<std::uint32_t>(k * kRecordDataBytes),
                                reinterpret_cast<const std::uint8_t*>(data.data()) + k * kRecordDataBytes);
    return records;
}

bool ValidNewFileName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return false;
    for (int bank = 1; bank <= kBankCount; ++bank)
        if (name == StageFileName(bank)) return false;
    return true;
}

bool SameFile(const std::string& one, const std::string& other) {
    struct stat a {};
    struct stat b {};
    return ::stat(one.c_str(), &a) == 0 && ::stat(other.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool SameNameIgnoringCase(const std::string& one, const std::string& other) {
    return one.size() == other.size() && std::equal(one.begin(), one.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The names of the documents a project folder holds: the nine of the project context and the
// CANopen tables read beside them.
bool IsProjectDocumentName(const std::string& projectDirectory, const std::string& name) {
    ProjectContext context;
    context.projectDirectory = projectDirectory;
    context.DeriveDocumentPaths();
    const DocumentPaths& d = context.documents;
    for (const std::string* path : {&d.pargen, &d.receiveFrame, &d.receiveInfo, &d.emcyDef, &d.emcyWord, &d.timerDef,
                                    &d.sdoPdo, &d.sendFrame, &d.sendInfo})
        if (SameNameIgnoringCase(path->substr(path->rfind('/') + 1), name)) return true;
    for (const char* other : {"sdo.xml", "rpdodef.xml", kProjectLockFileName})
        if (SameNameIgnoringCase(other, name)) return true;
    return false;
}

// The stage files of one composition in the project directory. Only those this run made are
// removed when it ends, however it ends.
class StageFiles {
public:
    explicit StageFiles(std::string directory) : directory_(std::move(directory)) {}
    ~StageFiles() {
        for (int bank = 1; bank <= kBankCount; ++bank) Remove(bank);
    }
    StageFiles(const StageFiles&) = delete;
    StageFiles& operator=(const StageFiles&) = delete;

    std::string Path(int bank) const { return directory_ + StageFileName(bank); }
    // The first stage file that is there before the run (a link counts, even a broken one).
    std::optional<std::string> Present() const {
        struct stat status {};
        for (int bank = 1; bank <= kBankCount; ++bank)
            if (::lstat(Path(bank).c_str(), &status) == 0) return Path(bank);
        return std::nullopt;
    }
    void Own(int bank) { owned_[bank - 1] = true; }
    // Moved away (into the new file): no longer this run's to remove.
    void Release(int bank) { owned_[bank - 1] = false; }
    void Remove(int bank) {
        if (owned_[bank - 1]) ::unlink(Path(bank).c_str());
        owned_[bank - 1] = false;
    }

private:
    std::string directory_;
    std::array<bool, kBankCount> owned_{};
};

// What keeps a composition from starting without writing over a file it did not make.
std::optional<std::string> CompositionRefusal(const ComposerSettings& settings, const StageFiles& stages) {
    const std::string projectDirectory = WithSeparator(settings.projectDirectory);
    const std::string newFile = projectDirectory + settings.newFileName;
    if (SameFile(settings.baseFirmware, newFile)) return NewFileIsBase(settings.newFileName);
    if (IsProjectDocumentName(settings.projectDirectory, settings.newFileName))
        return NewFileIsDocument(settings.newFileName);
    if (DirectoryExists(newFile)) return NewFileIsFolder(settings.newFileName);
    for (int bank = 1; bank <= kBankCount; ++bank)
        if (SameFile(settings.baseFirmware, stages.Path(bank))) return BaseIsStageFile(settings.baseFirmware);
    if (const auto present = stages.Present()) return StageFileExists(*present);
    return std::nullopt;
}

// Copies the base firmware unchanged into a stage file made for it (no bank merged). Its
// lines are measured first, as a merge measures them.
bool CopyBase(const std::string& from, const std::string& to, const std::string& baseName, StageFiles& stages,
              int stage, Dialogs& dialogs) {
    FileHandle in(OpenForReading(from));
    if (!in.Valid()) {
        Tell(dialogs, kSxNotFound);
        return false;
    }
    const LineCount lines = CountLines(in.Get());
    if (lines.tooLong > 0) {
        Tell(dialogs, SRecordLineRefused(baseName, lines.tooLong, kLineTooLong));
        return false;
    }
    OutputFile out(to);
    if (out.Created()) stages.Own(stage);
    if (lines.failed || out.Failed() || ::lseek(in.Get(), 0, SEEK_SET) != 0) {
        out.Close();
        Tell(dialogs, out.Existed() ? StageFileExists(to) : std::string(kNewSxNotCreated));
        return false;
    }
    std::vector<char> buffer(kReadBuffer);
    for (;;) {
        const long long count = ReadFully(in.Get(), buffer.data(), buffer.size());
        if (count < 0) {
            out.Close();
            Tell(dialogs, kNewSxNotCreated);
            return false;
        }
        if (count == 0) break;
        out.Append(buffer.data(), static_cast<std::size_t>(count));
    }
    if (!out.Close()) {
        Tell(dialogs, kNewSxNotCreated);
        return false;
    }
    return true;
}

std::string Hex6(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(value));
    return text;
}

// One bank merge from `input` into the stage file `output` (made exclusively; `created` tells
// whether this run made it): -1, 0 or 1. Lines that are not S-records are reported with their
// number in the base firmware `baseName` (a stage input holds the base's lines or records
// this program wrote).
int MergeBank(int bank, const std::string& input, const std::string& output, const ComposerSettings& settings,
              Dialogs& dialogs, const ComposeProgress& progress, bool& created) {
    created = false;
    if (progress) progress(0, 0);
    if (!FileExists(input)) {
        Tell(dialogs, kSxNotFound);
        return -1;
    }
    if (settings.newFileName.empty()) {
        Tell(dialogs, kNewSxNotFound);
        return -1;
    }
    if (settings.bankDirectory.empty() || !DirectoryExists(settings.bankDirectory)) {
        Tell(dialogs, kDirectoryBinNotFound);
        return -1;
    }
    const std::string binary = WithSeparator(settings.bankDirectory) + BankBinaryName(bank);
    if (!FileExists(binary)) {
        Tell(dialogs, BankBinaryNotFound(bank));
        return -1;
    }
    const std::string& baseName = settings.baseFirmware;
    const std::optional<std::string> records = BankRecords(bank, binary);
    FileHandle in(OpenForReading(input));
    if (!records || !in.Valid()) {
        Tell(dialogs, kNewSxNotCreated);
        return -1;
    }
    const LineCount lines = CountLines(in.Get());
    if (lines.tooLong > 0) {
        Tell(dialogs, SRecordLineRefused(baseName, lines.tooLong, kLineTooLong));
        return -1;
    }
    OutputFile out(output);
    created = out.Created();
    if (out.Failed() || lines.failed || ::lseek(in.Get(), 0, SEEK_SET) != 0) {
        out.Close();
        Tell(dialogs, out.Existed() ? StageFileExists(output) : std::string(kNewSxNotCreated));
        return -1;
    }

    const long long maximum = kRecordsPerBank + lines.lines;
    const std::uint32_t first = BankStart(bank), end = first + kBankSize;  // [first, end)
    long long position = 0, lineNumber = 0;
    std::uint64_t dataRecords = 0;  // written so far, for a count record
    if (progress) progress(0, maximum);
    int result = -1;
    bool inserted = false, broken = false, terminated = false;
    std::string problem;  // the line that is not an S-record, and why
    SRecord record;
    LineReader reader(in.Get());
    const char* line = nullptr;
    std::size_t size = 0;
    while (!broken && reader.Next(line, size)) {
        ++position;
        if (++lineNumber % kProgressLines == 0 && progress) progress(position, maximum);
        size = TrimmedSize(line, size);
        if (size == 0) continue;  // an empty line, anywhere
        if (!ParseRecord(line, size, record, problem)) {
            problem = SRecordLineRefused(baseName, lineNumber, problem);
            break;
        }
        switch (record.type) {
            case 1:
            case 2:
            case 3: {
                // S1 addresses (16 bits) never reach a bank
                const std::uint64_t from = record.address, to = from + static_cast<std::uint64_t>(record.dataBytes);
                const bool inBank = (from >= first && from < end) || (from < first && to > first);
                if (!inBank) {
                    out.AppendLine(line, size);
                    ++dataRecords;
                    break;
                }
                // the bytes before and after the bank stay, in records of the same type
                if (from < first) {
                    out.Append(SRecordLine(record.type, record.address, record.Data(), static_cast<int>(first - from)));
                    ++dataRecords;
                }
                if (!inserted) {
                    out.Append(*records);
                    position += kRecordsPerBank;
                    dataRecords += kRecordsPerBank;
                    inserted = true;
                }
                if (to > end) {
                    out.Append(SRecordLine(record.type, end, record.Data() + (end - from), static_cast<int>(to - end)));
                    ++dataRecords;
                }
                break;
            }
            case 5:
            case 6:
                // the number of data records before it, as this file now holds them
                if (dataRecords > kMaxS6Count) {
                    problem = SRecordLineRefused(baseName, lineNumber, "more data records than a count record holds");
                    broken = true;
                    break;
                }
                out.Append(CountRecordLine(static_cast<std::uint32_t>(dataRecords)));
                break;
            case 7:
            case 8:
            case 9:
                result = inserted ? 1 : 0;
                terminated = true;
                out.AppendLine(line, size);
                break;
            default:  // S0, the header
                out.AppendLine(line, size);
                break;
        }
        broken = broken || out.Failed();
    }
    if (reader.TooLong()) problem = SRecordLineRefused(baseName, lineNumber + 1, kLineTooLong);
    broken = !out.Close() || broken || reader.Failed() || !problem.empty();
    if (!problem.empty()) {
        Tell(dialogs, problem);
        result = -1;
    } else if (broken) {
        Tell(dialogs, kNewSxNotCreated);
        result = -1;
    } else if (!terminated) {
        Tell(dialogs, kNoS9Record);
    }
    if (progress) progress(maximum, maximum);
    return result;
}

}  // namespace

std::uint32_t BankStart(int bank) { return kFirstBankStart + static_cast<std::uint32_t>(bank - 1) * kBankSpacing; }

std::string BankBinaryName(int bank) { return "bank" + std::to_string(bank) + ".bin"; }

std::string StageFileName(int bank) {
    return "\xC2\xB0"
           "B" +
           std::to_string(bank) + "\xC2\xB0.sx";
}

std::string BankBinaryNotFound(int bank) { return "File " + BankBinaryName(bank) + " Not Found,Abort Procedure"; }

std::optional<std::array<bool, kBankCount>> VariantBanks(int variant) {
    if (variant == 2 || variant == 3) return std::array<bool, kBankCount>{true, true, false, false, false};
    return std::nullopt;
}

std::string S2RecordLine(std::uint32_t address, const std::uint8_t* data) {
    std::string line(4 + 6 + 2 * kRecordDataBytes + 2 + 2, '0');
    char* out = line.data();
    const auto put = [&out](std::uint8_t byte) {
        *out++ = kHexDigits[byte >> 4];
        *out++ = kHexDigits[byte & 0xF];
    };
    std::memcpy(out, "S224", 4);
    out += 4;
    unsigned sum = 0x24;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const auto byte = static_cast<std::uint8_t>(address >> shift);
        sum += byte;
        put(byte);
    }
    for (int i = 0; i < kRecordDataBytes; ++i) {
        sum += data[i];
        put(data[i]);
    }
    put(static_cast<std::uint8_t>(~sum));
    *out++ = '\r';
    *out = '\n';
    return line;
}

std::string SRecordLine(int type, std::uint32_t address, const std::uint8_t* data, int size) {
    const int addressBytes = kAddressBytes[type];
    const auto count = static_cast<unsigned>(addressBytes + size + 1);
    std::string line;
    line.reserve(4 + 2 * count + 2);
    unsigned sum = count;
    const auto put = [&line](unsigned byte) {
        line += kHexDigits[(byte >> 4) & 0xF];
        line += kHexDigits[byte & 0xF];
    };
    line += 'S';
    line += static_cast<char>('0' + type);
    put(count);
    for (int shift = 8 * (addressBytes - 1); shift >= 0; shift -= 8) {
        const unsigned byte = (address >> shift) & 0xFF;
        sum += byte;
        put(byte);
    }
    for (int i = 0; i < size; ++i) {
        sum += data[i];
        put(data[i]);
    }
    put(~sum & 0xFF);
    line += "\r\n";
    return line;
}

std::string CountRecordLine(std::uint32_t records) {
    return SRecordLine(records <= kMaxS5Count ? 5 : 6, records, nullptr, 0);
}

std::string NewFileIsBase(const std::string& newFileName) {
    return "Name of the new file not valid (" + newFileName + " is the base firmware),Abort Procedure";
}

std::string NewFileIsDocument(const std::string& newFileName) {
    return "Name of the new file not valid (" + newFileName + " is a project document),Abort Procedure";
}

std::string NewFileIsFolder(const std::string& newFileName) {
    return "Name of the new file not valid (" + newFileName + " is a folder),Abort Procedure";
}

std::string BaseIsStageFile(const std::string& baseFirmware) {
    return "File " + baseFirmware + " is a stage file of the composition,Abort Procedure";
}

std::string StageFileExists(const std::string& path) {
    return "File " + path +
           " already exists; the composition makes this file itself and does not overwrite it,Abort Procedure";
}

std::string SRecordLineRefused(const std::string& file, long long line, const std::string& reason) {
    return "File " + file + " line " + std::to_string(line) + ": " + reason + ", Abort Procedure";
}

std::string WithSeparator(const std::string& directory) {
    if (directory.empty() || directory.back() == '/') return directory;
    return directory + "/";
}

std::string NewFileNameFor(const std::string& baseFirmware) {
    const std::size_t slash = baseFirmware.rfind('/');
    return kNewFilePrefix + (slash == std::string::npos ? baseFirmware : baseFirmware.substr(slash + 1));
}

std::string BaseFirmwarePath(const ProjectContext& context) {
    return FindShippedFile(context, std::string("MASTER/") + kBaseFirmwareName);
}

std::optional<std::string> BaseFirmwareProblem(const ProjectContext& context) {
    if (FileExists(BaseFirmwarePath(context))) return std::nullopt;
    if (context.masterDirectory.empty() || !DirectoryExists(context.masterDirectory))
        return std::string(kFirmwareDirectoryNotFound);
    return std::string(kFirmwareFileNotFound);
}

ComposerSettings DefaultComposerSettings(const ProjectContext& context, int variant) {
    ComposerSettings settings;
    settings.baseFirmware = BaseFirmwarePath(context);
    settings.projectDirectory = WithSeparator(context.projectDirectory);
    if (!settings.projectDirectory.empty() && DirectoryExists(settings.projectDirectory + "bin"))
        settings.bankDirectory = settings.projectDirectory + "bin/";
    settings.newFileName = NewFileNameFor(settings.baseFirmware);
    settings.banks = VariantBanks(variant).value_or(std::array<bool, kBankCount>{true, true, true, true, true});
    return settings;
}

ComposeReport ComposeFirmware(const ComposerSettings& settings, Dialogs& dialogs, const ComposeProgress& progress) {
    ComposeReport report;
    report.banks.fill(BankOutcome::PassedThrough);
    const std::string projectDirectory = WithSeparator(settings.projectDirectory);
    report.newFile = projectDirectory + settings.newFileName;
    if (settings.projectDirectory.empty() || !DirectoryExists(settings.projectDirectory)) {
        dialogs.ShowMessage(MessageKind::Plain, "Project not valid");
        return report;
    }
    if (settings.newFileName.empty()) {
        Tell(dialogs, kNewSxNotFound);
        return report;
    }
    if (!ValidNewFileName(settings.newFileName)) {
        Tell(dialogs, kNewNameNotValid);
        return report;
    }
    StageFiles stages(projectDirectory);
    if (const auto refusal = CompositionRefusal(settings, stages)) {
        Tell(dialogs, *refusal);
        return report;
    }

    // A stage that merges reads the file of the last stage that merged (the base before the
    // first); a stage that is not selected leaves it as it is.
    std::string input = settings.baseFirmware;
    int holder = 0;  // the stage whose file holds the composition so far; 0 for the base
    for (int bank = 1; bank <= kBankCount; ++bank) {
        report.stages = bank;
        BankOutcome& outcome = report.banks[bank - 1];
        if (settings.banks[bank - 1]) {
            bool created = false;
            const int result = MergeBank(bank, input, stages.Path(bank), settings, dialogs, progress, created);
            if (created) stages.Own(bank);
            outcome = result == 1   ? BankOutcome::Inserted
                      : result == 0 ? BankOutcome::NotInserted
                                    : BankOutcome::Failed;
            if (outcome != BankOutcome::Failed) {
                if (holder > 0) stages.Remove(holder);
                holder = bank;
                input = stages.Path(bank);
            }
        } else if (!FileExists(input)) {
            Tell(dialogs, kSxNotFound);
            outcome = BankOutcome::Failed;
        }
        if (outcome == BankOutcome::Failed) return report;
    }
    if (holder == 0) {
        if (!CopyBase(input, stages.Path(kBankCount), settings.baseFirmware, stages, kBankCount, dialogs))
            return report;
        holder = kBankCount;
        input = stages.Path(kBankCount);
    }
    if (::rename(input.c_str(), report.newFile.c_str()) != 0) {
        Tell(dialogs, kNewSxNotCreated);
        return report;
    }
    stages.Release(holder);
    report.produced = true;
    return report;
}

std::string BankOutcomeText(int bank, BankOutcome outcome) {
    const std::string name = "bank " + std::to_string(bank) + ": ";
    const std::uint32_t start = BankStart(bank);
    switch (outcome) {
        case BankOutcome::Inserted:
            return name + "inserted, " + std::to_string(kRecordsPerBank) + " records from " + Hex6(start);
        case BankOutcome::NotInserted:
            return name + "not inserted, the base firmware has no record from " + Hex6(start) + " to " +
                   Hex6(start + kBankSize - 1);
        case BankOutcome::Failed:
            return name + "failed, composition stopped";
        case BankOutcome::PassedThrough:
            break;
    }
    return name + "not selected";
}

std::string FlashProgrammerPath(const ProjectContext& context) {
    return FindShippedFile(context, kFlashProgrammerName);
}

std::string FlashProgrammerParameterText(const std::string& projectDirectory, const std::string& newFileName,
                                         int portIndex) {
    return "\"" + WithSeparator(projectDirectory) + newFileName + "\"" + kPilcrow + std::to_string(portIndex);
}

bool LaunchFlashProgrammer(const std::string& program, const ComposerSettings& settings, int portIndex,
                           Dialogs& dialogs, const ProgramStarter& starter) {
    if (!FileExists(WithSeparator(settings.projectDirectory) + settings.newFileName)) {
        Tell(dialogs, kSxNotFound);
        return false;
    }
    if (!FileExists(program)) {
        Tell(dialogs, kFlashWriteNotFound);
        return false;
    }
    const RunOutcome outcome =
        starter(program, FlashProgrammerParameterText(settings.projectDirectory, settings.newFileName, portIndex));
    if (outcome.state == RunOutcome::State::NotStarted) {
        dialogs.ShowMessage(MessageKind::Error, "The flash programmer \"" + program +
                                                    "\" cannot be started: " + SystemReason(outcome.error));
        return false;
    }
    return true;
}

ComposeReport ExecuteUpdateFirmware(const std::string& flashProgrammer, const ComposerSettings& settings, int portIndex,
                                    Dialogs& dialogs, const ComposeProgress& progress, const ProgramStarter& starter) {
    const ComposeReport report = ComposeFirmware(settings, dialogs, progress);
    if (!report.produced)
        Tell(dialogs, kNewFirmwareNotGenerated);
    else
        LaunchFlashProgrammer(flashProgrammer, settings, portIndex, dialogs, starter);
    return report;
}

}  // namespace kestrova
