#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kestrova {

bool FileExists(const std::string& path);  // a regular file
// Something that is there but is no regular file: a folder, a pipe, a device. Such a path is
// "not a regular file" in messages, never one that "does not exist".
bool IsNonRegularFile(const std::string& path);
bool DirectoryExists(const std::string& path);

// Directory of the running program (/proc/self/exe), without a trailing separator.
std::string ExecutableDirectory();

// Creates one directory level. Returns 0 on success, otherwise the errno of the failure.
int CreateDirectory(const std::string& path);
// Creates every missing level; returns 0 on success, otherwise the errno of the failure.
int CreateDirectories(const std::string& path);

// Writes the whole content to a temporary file beside `path`, then renames it into place, so
// an earlier file is never left half-written. Throws Error with the system's reason. A
// replaced file keeps its permission bits; a file without any write bit is refused
// ("PATH is write-protected") and left as it is; an empty path is refused.
void WriteFileReplacing(const std::string& path, const std::string& content);

// New content for a file, written beside it at once and put in place later, so that several
// files are replaced together or not at all. The file keeps the permission bits of the file it
// replaces.
class PreparedReplacement {
public:
    // Writes `content` to a temporary file beside `path`. Throws Error with the system's reason,
    // and for a file without any write bit ("PATH is write-protected"); nothing else changes.
    PreparedReplacement(std::string path, const std::string& content);
    // Removes the temporary file when it was never put in place, and the earlier file kept by
    // Commit once it is no longer needed.
    ~PreparedReplacement();
    PreparedReplacement(PreparedReplacement&& other) noexcept;
    PreparedReplacement(const PreparedReplacement&) = delete;
    PreparedReplacement& operator=(const PreparedReplacement&) = delete;
    PreparedReplacement& operator=(PreparedReplacement&&) = delete;

    // Renames the new content into place. With `keepEarlier`, the file it replaces is kept
    // under a second name first, so that Restore can put it back. Throws Error with the
    // system's reason when the file could not be replaced (it is then as it was).
    void Commit(bool keepEarlier);
    // After Commit(true): puts the earlier file back, or removes the new one when there was
    // none. Returns 0, or the errno of the failure (the earlier file then stays at EarlierPath).
    int Restore();

    const std::string& Path() const { return path_; }
    const std::string& EarlierPath() const { return earlier_; }

private:
    std::string path_;
    std::string temporary_;  // empty once renamed into place
    std::string earlier_;    // the replaced file's second name; empty when none is kept
    bool existed_ = false;   // whether something was at `path_` before
    bool restoreFailed_ = false;
};

// Replaces several files together, each (path, content): all are written to temporary files
// first, and only when every one was written are they renamed into place, in order. When a
// rename fails, the files already replaced are put back. Throws Error saying which file
// failed, why, and what became of the others.
void ReplaceFilesTogether(const std::vector<std::pair<std::string, std::string>>& files);

// Reads a whole regular file of at most `maxBytes`; throws Error with the system's reason, for
// anything that is not a regular file (a pipe, a device), and for a larger file.
std::string ReadWholeFile(const std::string& path, long long maxBytes = 64LL * 1024 * 1024);

}  // namespace kestrova
