#pragma once

#include <string>

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

// Reads a whole regular file of at most `maxBytes`; throws Error with the system's reason, for
// anything that is not a regular file (a pipe, a device), and for a larger file.
std::string ReadWholeFile(const std::string& path, long long maxBytes = 64LL * 1024 * 1024);

}  // namespace kestrova
