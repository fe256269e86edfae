#include "core/project/file_system.h"

#include "core/project/error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

void WriteFileReplacing(const std::string& path, const std::string& content) {
    // An empty path names no file (a project file's path without a project): nothing is made
    // beside the working directory.
    if (path.empty()) throw Error("Cannot create file " + path + ": " + SystemReason(ENOENT));
    // A file that is replaced keeps its permission bits; one without any write bit is not
    // replaced (also not by root, who could).
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (replacing && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) throw Error(path + " is write-protected");
    const std::string temporary = path + ".tmp-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());  // a stale one of an earlier run; a new file is created below, never followed
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        throw Error("Cannot create file " + path + ": " + SystemReason(error));
    }
    if (replacing && ::fchmod(fd, existing.st_mode & 07777) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        throw Error("Cannot create file " + path + ": " + SystemReason(error));
    }
    size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(temporary.c_str());
            throw Error("Cannot write file " + path + ": " + SystemReason(error));
        }
        written += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw Error("Cannot write file " + path + ": " + SystemReason(error));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw Error("Cannot replace file " + path + ": " + SystemReason(error));
    }
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

}  // namespace kestrova
