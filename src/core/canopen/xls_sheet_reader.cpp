#include "core/canopen/xls_sheet_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/canopen/xls_reader_answer.h"
#include "core/project/error.h"
#include "core/project/file_system.h"

extern char** environ;

namespace kestrova {
namespace {

using namespace xls_answer;

// The answer is never larger than this; a reader sending more is ended.
constexpr size_t kAnswerLimit = size_t(512) << 20;

std::string ReaderFailure(const std::string& reason) {
    return "the workbook could not be read (FreeXL failed: " + reason + ")";
}

std::string SignalName(int signal) {
    if (const char* name = ::sigabbrev_np(signal)) return std::string("SIG") + name;
    return "signal " + std::to_string(signal);
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Starts the reader with its standard output on `output`; the error number on failure.
int Spawn(const std::string& readerPath, const std::string& workbookPath, const std::string& sheetName, int output,
          pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);  // no other file of the tool
    // The reader starts with no signal blocked and every signal at its default action, whatever
    // the starting thread had set.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::string program = readerPath;
    std::string workbook = workbookPath;
    std::string sheet = sheetName;
    char* arguments[] = {program.data(), workbook.data(), sheet.data(), nullptr};
    const int error = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

// Reads the reader's whole answer until it closes its output; false when the time ran out or
// the answer grew beyond its limit.
bool ReadAnswer(int input, std::chrono::milliseconds timeLimit, std::string& answer, std::string& why) {
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            why = "no answer within " + std::to_string(timeLimit.count() / 1000) + " s";
            return false;
        }
        pollfd poller{input, POLLIN, 0};
        const int ready = ::poll(&poller, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;  // the time check above ends the wait
        const ssize_t got = ::read(input, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return true;
        answer.append(buffer, static_cast<size_t>(got));
        if (answer.size() > kAnswerLimit) {
            why = "answer larger than " + std::to_string(kAnswerLimit >> 20) + " MiB";
            return false;
        }
    }
}

// Walks through the answer; every read past its end or of an unknown tag is a broken answer.
class AnswerReader {
public:
    explicit AnswerReader(const std::string& answer) : answer_(answer) {}

    char Tag() {
        Need(1);
        return answer_[position_++];
    }
    uint32_t Number() {
        Need(4);
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t(static_cast<unsigned char>(answer_[position_ + i])) << (8 * i);
        position_ += 4;
        return value;
    }
    double Real() {
        Need(sizeof(double));
        double value;
        std::memcpy(&value, answer_.data() + position_, sizeof value);
        position_ += sizeof value;
        return value;
    }
    std::string Text() {
        const uint32_t length = Number();
        Need(length);
        std::string text = answer_.substr(position_, length);
        position_ += length;
        return text;
    }
    std::string TextAfter(char tag) {
        if (Tag() != tag) throw Error(ReaderFailure("broken answer"));
        return Text();
    }
    void End() {
        if (Tag() != kEnd || position_ != answer_.size()) throw Error(ReaderFailure("broken answer"));
    }

private:
    void Need(size_t count) const {
        if (answer_.size() - position_ < count) throw Error(ReaderFailure("broken answer"));
    }
    const std::string& answer_;
    size_t position_ = 0;
};

std::optional<SheetCells> DecodeAnswer(const std::string& answer) {
    AnswerReader reader(answer);
    const char tag = reader.Tag();
    if (tag == kFailure) {
        const std::string reason = reader.Text();
        reader.End();
        throw Error(reason);
    }
    if (tag == kNoSheet) {
        reader.Text();
        reader.End();
        return std::nullopt;
    }
    if (tag != kSheet) throw Error(ReaderFailure("broken answer"));
    SheetCells sheet;
    const uint32_t rows = reader.Number();
    sheet.width = reader.Number();
    if (rows > kSheetRowLimit || sheet.width > kSheetColumnLimit) throw Error(ReaderFailure("broken answer"));
    for (uint32_t row = 0; row < rows; ++row) {
        std::vector<SheetCell> cells;
        cells.reserve(sheet.width);
        for (size_t column = 0; column < sheet.width; ++column) {
            switch (reader.Tag()) {
                case kNull:
                    cells.emplace_back();
                    break;
                case kInteger:
                    cells.emplace_back(std::to_string(static_cast<int32_t>(reader.Number())));
                    break;
                case kNumber:
                    cells.emplace_back(SpreadsheetNumberText(reader.Real()));
                    break;
                case kText:
                    cells.emplace_back(reader.Text());
                    break;
                case kDamage:
                    if (reader.Number() != row) throw Error(ReaderFailure("broken answer"));
                    sheet.damage = reader.TextAfter(kText);
                    sheet.damagedRow = row;
                    reader.End();
                    return sheet;
                default:
                    throw Error(ReaderFailure("broken answer"));
            }
        }
        while (!cells.empty() && !cells.back()) cells.pop_back();
        sheet.rows.push_back(std::move(cells));
    }
    reader.End();
    return sheet;
}

std::string Directory(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

std::string XlsReaderPath() {
    const std::string programDirectory = ExecutableDirectory();
    const std::string beside = programDirectory + "/" + kXlsReaderProgramName;
    if (FileExists(beside)) return beside;
    return Directory(programDirectory) + "/" KESTROVA_INSTALL_LIBEXECDIR "/kestrova/" + kXlsReaderProgramName;
}

std::optional<SheetCells> ReadXlsSheet(const std::string& readerPath, const std::string& workbookPath,
                                       const std::string& sheetName, std::chrono::milliseconds timeLimit) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) throw Error(ReaderFailure("no pipe: " + SystemReason(errno)));
    Fd input(ends[0]);
    Fd output(ends[1]);
    pid_t pid = 0;
    if (const int error = Spawn(readerPath, workbookPath, sheetName, output.Get(), pid))
        throw Error(ReaderFailure("the reading program " + readerPath + " cannot be started: " + SystemReason(error)));
    output.Close();

    std::string answer;
    std::string why;
    const bool complete = ReadAnswer(input.Get(), timeLimit, answer, why);
    if (!complete) ::kill(pid, SIGKILL);
    input.Close();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!complete) throw Error(ReaderFailure(why));
    if (WIFSIGNALED(status)) throw Error(ReaderFailure(SignalName(WTERMSIG(status))));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw Error(ReaderFailure("exit code " + std::to_string(WEXITSTATUS(status))));
    return DecodeAnswer(answer);
}

}  // namespace kestrova
