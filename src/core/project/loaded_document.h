#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/project/dialogs.h"
#include "core/project/project_lock.h"

namespace kestrova {

// A document's file as it lay on disk: which file, its size, its modification time (to the
// nanosecond) and a hash of its bytes. A replacing write (a temporary file renamed into place)
// changes the file; a write in place its time, and its hash even where two writes fall within
// one tick of the file system's clock.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0;
    long long size = 0;
    long long modifiedNanoseconds = 0;
    std::uint64_t contentHash = 0;

    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
FileStamp StampOf(const std::string& path);

// What a window loaded on its show: the document's path and its stamp, taken before the read,
// so that OK notices a write of another program since then.
class LoadedDocument {
public:
    LoadedDocument() = default;
    // Stamps the file now (call it before reading the document).
    explicit LoadedDocument(std::string path);

    const std::string& Path() const { return path_; }
    // Whether the file is no longer the one stamped (written, replaced, created or deleted).
    bool ChangedOnDisk() const;

private:
    std::string path_;
    FileStamp stamp_;
};

std::string ChangedOnDiskQuestion(const std::string& path);

// The save of a window's OK: holds the project's lock, asks ChangedOnDiskQuestion when the
// document changed since the show (No: nothing is written, false), then runs `write`. Throws
// Error when the lock is not had within `wait`, and whatever `write` throws.
bool SaveLoadedDocument(Dialogs& dialogs, const std::string& projectDirectory, const LoadedDocument& loaded,
                        const std::function<void()>& write, std::chrono::milliseconds wait = kProjectLockWait);

// How much of a row list a load took over: rows kept, rows of the document left out (a row
// that could not be read, the rows after it, rows that found no place), and whether the read
// stopped before the document's end. A document that did not parse at all has lost an unknown
// number of rows (`dropped` nothing).
struct RowsRead {
    std::size_t kept = 0;
    std::optional<std::size_t> dropped = 0;
    bool stoppedEarly = false;

    bool Whole() const { return !stoppedEarly && dropped == std::size_t{0}; }
    // The read stopped at the row `kept + dropped` of a document of `total` rows.
    void StopAt(std::size_t total);
    // The document could not be parsed: nothing known of its rows.
    void StopUnread();
};

// "FILE was read only in part (N rows kept, M dropped). Writing now removes the others. Write
// anyway?"
std::string PartlyReadQuestion(const std::string& path, const RowsRead& rows);
// The refusal of a save without anyone to ask, saying how many rows the write would lose.
std::string PartlyReadRefusal(const std::string& path, const RowsRead& rows);
// OK after a load: true at once when the document was read whole, otherwise the answer to
// PartlyReadQuestion (No the default).
bool MayWritePartlyRead(Dialogs& dialogs, const std::string& path, const RowsRead& rows);

}  // namespace kestrova
