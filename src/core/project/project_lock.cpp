#include "core/project/project_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "core/project/error.h"

namespace kestrova {
namespace {

// Between two tries for a held lock.
constexpr std::chrono::milliseconds kRetryPause{20};

// The lock file opened for flock; -1 where it cannot be created.
int OpenLockFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);  // flock needs no write access
    return fd;
}

}  // namespace

std::string ProjectBusyMessage(const std::string& projectDirectory) {
    return "Another program is changing the project " + projectDirectory +
           "; nothing was written. Try again when it has finished.";
}

ProjectLock::ProjectLock(const std::string& projectDirectory, std::chrono::milliseconds wait) {
    if (projectDirectory.empty()) throw Error("Project not valid");
    fd_ = OpenLockFile(projectDirectory + "/" + kProjectLockFileName);
    if (fd_ < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR) continue;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            fd_ = -1;
            if (error != EWOULDBLOCK)
                throw Error("Cannot lock the project " + projectDirectory + ": " + SystemReason(error));
            throw Error(ProjectBusyMessage(projectDirectory));
        }
        std::this_thread::sleep_for(kRetryPause);
    }
}

ProjectLock::~ProjectLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the lock
}

}  // namespace kestrova
