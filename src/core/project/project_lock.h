#pragma once

#include <chrono>
#include <string>

namespace kestrova {

// Programs that change a project's documents take turns: each read-modify-write holds an
// advisory lock (flock) on one file in the project folder, so two writers never interleave a
// load and a save and lose each other's rows. The lock is released when its holder ends, even
// when it is killed.
inline constexpr const char* kProjectLockFileName = ".kestrova.lock";
// How long a writer waits for another one before it gives up.
inline constexpr std::chrono::milliseconds kProjectLockWait{10000};

// The refusal after waiting in vain for the lock of `projectDirectory`.
std::string ProjectBusyMessage(const std::string& projectDirectory);

// Holds the project's lock from construction to destruction. Waits up to `wait` for another
// holder, then throws Error with ProjectBusyMessage. An empty project directory is refused
// ("Project not valid"). A folder where the lock file cannot be created (it is missing or
// write-protected) is not locked: nothing can be written there either, and the write reports
// its own failure.
class ProjectLock {
public:
    explicit ProjectLock(const std::string& projectDirectory, std::chrono::milliseconds wait = kProjectLockWait);
    ~ProjectLock();
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;

    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace kestrova
