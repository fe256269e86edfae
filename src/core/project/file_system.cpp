#include "core/project/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "core/project/error.h"

namespace kestrova {

std::string SystemReason(int errorNumber) { return std::strerror(errorNumber); }

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsNonRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ExecutableDirectory() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return ".";
    std::string path(buffer.data(), static_cast<size_t>(length));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

int CreateDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return 0;
    return errno;
}

int CreateDirectories(const std::string& path) {
    if (path.empty()) return ENOENT;
    if (DirectoryExists(path)) return 0;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string level = path.substr(0, slash);
        if (!DirectoryExists(level) && ::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    }
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    return 0;
}

std::string ReadWholeFile(const std::string& path, long long maxBytes) {
    // Non-blocking, so that opening a pipe cannot hang; only regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        throw Error("Cannot open file " + path + ": " + SystemReason(error));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw Error("The file " + path + " is not a regular file.");
    }
    std::string content;
    // Room for what the file claims to hold (bounded), so a large file is not copied as it grows.
    if (info.st_size > 0) content.reserve(static_cast<size_t>(std::min<long long>(info.st_size, maxBytes)) + 1);
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw Error("Cannot read file " + path + ": " + SystemReason(error));
        }
        if (n == 0) break;
        // The size is checked on what is read, not on what the file claims to hold.
        if (static_cast<long long>(content.size()) + n > maxBytes) {
            ::close(fd);
            throw Error("The file " + path + " is too large (more than " + std::to_string(maxBytes) + " bytes).");
        }
        content.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return content;
}

namespace {

// Writes a new file (never an existing one, never through a link) with `mode` when it is not
// 0; removes it again and throws Error, naming `shownPath`, when that fails.
void WriteNewFile(const std::string& file, const std::string& content, mode_t mode, const std::string& shownPath) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        throw Error("Cannot create file " + shownPath + ": " + SystemReason(error));
    }
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(file.c_str());
        throw Error("Cannot write file " + shownPath + ": " + SystemReason(error));
    };
    for (size_t written = 0; written < content.size();) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(n < 0 ? errno : ENOSPC);
        written += static_cast<size_t>(n);
    }
    if (mode != 0 && ::fchmod(fd, mode) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(file.c_str());
        throw Error("Cannot write file " + shownPath + ": " + SystemReason(error));
    }
}

}  // namespace

PreparedReplacement::PreparedReplacement(std::string path, const std::string& content) : path_(std::move(path)) {
    // An empty path names no file (a project file's path without a project): nothing is made
    // beside the working directory.
    if (path_.empty()) throw Error("Cannot create file : " + SystemReason(ENOENT));
    // A file that is replaced keeps its permission bits; one without any write bit is not
    // replaced (also not by root, who could).
    struct stat info {};
    mode_t mode = 0;
    existed_ = ::lstat(path_.c_str(), &info) == 0;
    if (::stat(path_.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        if ((info.st_mode & 0222) == 0) throw Error(path_ + " is write-protected");
        mode = info.st_mode & 07777;
    }
    const std::string temporary = path_ + ".tmp-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());  // a stale one of an earlier run; a new file is created, never followed
    WriteNewFile(temporary, content, mode, path_);
    temporary_ = temporary;
}

PreparedReplacement::PreparedReplacement(PreparedReplacement&& other) noexcept
    : path_(std::move(other.path_)),
      temporary_(std::exchange(other.temporary_, {})),
      earlier_(std::exchange(other.earlier_, {})),
      existed_(other.existed_),
      restoreFailed_(other.restoreFailed_) {}

PreparedReplacement::~PreparedReplacement() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    if (!earlier_.empty() && !restoreFailed_) ::unlink(earlier_.c_str());
}

void PreparedReplacement::Commit(bool keepEarlier) {
    struct stat info {};
    if (keepEarlier && ::lstat(path_.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        const std::string earlier = path_ + ".old-" + std::to_string(::getpid());
        ::unlink(earlier.c_str());
        // A second name of the same file; where the file system has no links, a copy.
        if (::link(path_.c_str(), earlier.c_str()) != 0) {
            try {
                WriteNewFile(earlier, ReadWholeFile(path_, std::numeric_limits<long long>::max()), info.st_mode & 07777,
                             earlier);
            } catch (const Error& error) {
                throw Error("Cannot replace file " + path_ + ": its earlier content could not be kept (" +
                            error.what() + ")");
            }
        }
        earlier_ = earlier;
    }
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        if (!earlier_.empty()) ::unlink(earlier_.c_str());
        earlier_.clear();
        throw Error("Cannot replace file " + path_ + ": " + SystemReason(error));
    }
    temporary_.clear();
}

int PreparedReplacement::Restore() {
    const int result = !earlier_.empty() ? (::rename(earlier_.c_str(), path_.c_str()) == 0 ? 0 : errno)
                       : existed_        ? EEXIST  // nothing was kept to put back
                                         : (::unlink(path_.c_str()) == 0 || errno == ENOENT ? 0 : errno);
    if (result == 0) earlier_.clear();
    restoreFailed_ = result != 0;
    return result;
}

void ReplaceFilesTogether(const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<PreparedReplacement> prepared;
    prepared.reserve(files.size());
    for (const auto& [path, content] : files) {
        try {
            prepared.emplace_back(path, content);
        } catch (const Error& error) {
            throw Error(std::string(error.what()) + ". No file was changed.");
        }
    }
    for (size_t index = 0; index < prepared.size(); ++index) {
        try {
            prepared[index].Commit(index + 1 < prepared.size());
        } catch (const Error& error) {
            std::string text = std::string(error.what()) + ".";
            std::vector<std::string> putBack;
            for (size_t done = index; done-- > 0;) {
                const int failure = prepared[done].Restore();
                if (failure == 0) {
                    putBack.push_back(prepared[done].Path());
                    continue;
                }
                text += " " + prepared[done].Path() + " already holds its new content and could not be put back (" +
                        SystemReason(failure) + ")" +
                        (prepared[done].EarlierPath().empty()
                             ? std::string(".")
                             : "; its earlier content is in " + prepared[done].EarlierPath() + ".");
            }
            if (index == 0) {
                text += " No file was changed.";
            } else if (putBack.size() == index) {
                std::string names;
                for (size_t i = putBack.size(); i-- > 0;)
                    names += (names.empty() ? "" : i == 0 ? " and " : ", ") + putBack[i];
                text += " " + names +
                        (putBack.size() == 1 ? " was put back as it was" : " were put back as they were") +
                        ": no file was changed.";
            }
            throw Error(text);
        }
    }
}

void WriteFileReplacing(const std::string& path, const std::string& content) {
    PreparedReplacement(path, content).Commit(false);
}

}  // namespace kestrova
