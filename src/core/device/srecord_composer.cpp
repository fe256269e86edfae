#include "core/device/srecord_composer.h"

#include "core/project/workspace_location.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/project/error.h"
#include "core/project/file_system.h"

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

bool ParseHex(const char* text, int digits, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0) return false;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
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

// Stage files are made afresh; a link in their place is not followed.
int CreateForWriting(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
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
    explicit OutputFile(const std::string& path) : file_(CreateForWriting(path)), failed_(!file_.Valid()) {
        buffer_.reserve(kWriteBuffer);
    }
    void Append(const char* data, std::size_t size) {
        if (buffer_.size() + size > kWriteBuffer) Flush();
        if (size > kWriteBuffer) {
            failed_ = failed_ || !WriteFully(file_.Get(), data, size);
            return;
        }
        buffer_.insert(buffer_.end(), data, data + size);
    }
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
    bool failed_;
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
        failed_ = true;  // a line longer than any S-record line
        return false;
    }
    bool Failed() const { return failed_; }

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
    bool eof_ = false, failed_ = false;
};

// The lines of the file from its current position (a last line without its end counts); -1 on
// a read failure.
long long CountLines(int fd) {
    std::vector<char> buffer(kReadBuffer);
    long long lines = 0;
    char last = '\n';
    for (;;) {
        const long long count = ReadFully(fd, buffer.data(), buffer.size());
        if (count < 0) return -1;
        if (count == 0) break;
        lines += std::count(buffer.data(), buffer.data() + count, '\n');
        last = buffer[static_cast<std::size_t>(count) - 1];
    }
    return lines + (last != '\n' ? 1 : 0);
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

bool CopyFile(const std::string& from, const std::string& to) {
    FileHandle in(OpenForReading(from));
    if (!in.Valid()) return false;
    OutputFile out(to);
    std::vector<char> buffer(kReadBuffer);
    for (;;) {
        const long long count = ReadFully(in.Get(), buffer.data(), buffer.size());
        if (count < 0) {
            out.Close();
            return false;
        }
        if (count == 0) break;
        out.Append(buffer.data(), static_cast<std::size_t>(count));
    }
    return out.Close();
}

// Passes a stage on: the base firmware is copied, a stage file of this run is moved.
bool PassThrough(int bank, const std::string& input, const std::string& output, Dialogs& dialogs) {
    if (!FileExists(input)) {
        Tell(dialogs, kSxNotFound);
        return false;
    }
    ::unlink(output.c_str());
    const bool done = bank == 1 ? CopyFile(input, output) : ::rename(input.c_str(), output.c_str()) == 0;
    if (!done) Tell(dialogs, kNewSxNotCreated);
    return done;
}

// Removes the stage files of the project directory when the composition ends, however it ends.
class StageFiles {
public:
    explicit StageFiles(std::string directory) : directory_(std::move(directory)) {}
    ~StageFiles() {
        for (int bank = 1; bank <= kBankCount; ++bank) ::unlink((directory_ + StageFileName(bank)).c_str());
    }
    StageFiles(const StageFiles&) = delete;
    StageFiles& operator=(const StageFiles&) = delete;

private:
    std::string directory_;
};

std::string Hex6(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(value));
    return text;
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

int MergeBank(int bank, const std::string& input, const std::string& output, const ComposerSettings& settings,
              Dialogs& dialogs, const ComposeProgress& progress) {
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
    const std::optional<std::string> records = BankRecords(bank, binary);
    FileHandle in(OpenForReading(input));
    if (!records || !in.Valid()) {
        Tell(dialogs, kNewSxNotCreated);
        return -1;
    }
    OutputFile out(output);
    const long long lines = CountLines(in.Get());
    if (out.Failed() || lines < 0 || ::lseek(in.Get(), 0, SEEK_SET) != 0) {
        out.Close();
        Tell(dialogs, kNewSxNotCreated);
        return -1;
    }

    const long long maximum = kRecordsPerBank + lines;
    const std::uint32_t first = BankStart(bank), last = first + kBankSize - 1;
    long long position = 0, linesRead = 0;
    if (progress) progress(0, maximum);
    int result = -1;
    bool inserted = false, broken = false, terminated = false;
    LineReader reader(in.Get());
    const char* line = nullptr;
    std::size_t size = 0;
    while (!broken && reader.Next(line, size)) {
        ++position;
        if (++linesRead % kProgressLines == 0 && progress) progress(position, maximum);
        if (size >= 2 && line[0] == 'S' && (line[1] == '1' || line[1] == '2')) {
            // S1 carries a 16-bit address (4 digits), S2 a 24-bit one (6 digits), from the fifth character
            const int digits = line[1] == '1' ? 4 : 6;
            std::uint32_t address = 0;
            if (size < static_cast<std::size_t>(4 + digits) || !ParseHex(line + 4, digits, address)) {
                broken = true;
            } else if (address >= first && address <= last) {
                if (!inserted) {
                    out.Append(records->data(), records->size());
                    position += kRecordsPerBank;
                    inserted = true;
                }
            } else {
                out.AppendLine(line, size);
            }
        } else if (size >= 2 && line[0] == 'S' && line[1] == '9') {
            result = inserted ? 1 : 0;
            terminated = true;
            out.AppendLine(line, size);
        } else if (size == 0) {
            broken = true;
        } else {
            out.AppendLine(line, size);
        }
        broken = broken || out.Failed();
    }
    broken = !out.Close() || broken || reader.Failed();
    if (broken) {
        Tell(dialogs, kNewSxNotCreated);
        result = -1;
    } else if (!terminated) {
        Tell(dialogs, kNoS9Record);
    }
    if (progress) progress(maximum, maximum);
    return result;
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

    StageFiles stageFiles(projectDirectory);
    std::string input = settings.baseFirmware;
    for (int bank = 1; bank <= kBankCount; ++bank) {
        const std::string output = projectDirectory + StageFileName(bank);
        report.stages = bank;
        BankOutcome& outcome = report.banks[bank - 1];
        if (settings.banks[bank - 1]) {
            const int result = MergeBank(bank, input, output, settings, dialogs, progress);
            outcome = result == 1   ? BankOutcome::Inserted
                      : result == 0 ? BankOutcome::NotInserted
                                    : BankOutcome::Failed;
        } else if (!PassThrough(bank, input, output, dialogs)) {
            outcome = BankOutcome::Failed;
        }
        if (outcome == BankOutcome::Failed) return report;
        input = output;
    }
    if (::rename(input.c_str(), report.newFile.c_str()) != 0) {
        Tell(dialogs, kNewSxNotCreated);
        return report;
    }
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

ComposeReport ExecuteUpdateFirmware(const std::string& flashProgrammer, const ComposerSettings& settings,
                                    int portIndex, Dialogs& dialogs, const ComposeProgress& progress,
                                    const ProgramStarter& starter) {
    const ComposeReport report = ComposeFirmware(settings, dialogs, progress);
    if (!report.produced)
        Tell(dialogs, kNewFirmwareNotGenerated);
    else
        LaunchFlashProgrammer(flashProgrammer, settings, portIndex, dialogs, starter);
    return report;
}

}  // namespace kestrova
