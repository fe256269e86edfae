#include "core/project/loaded_document.h"

#include <sys/stat.h>

#include "core/project/file_system.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

// FNV-1a over the file's bytes; 0 for a file that cannot be read whole.
std::uint64_t ContentHash(const std::string& path) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(path, kMaxDocumentBytes);
    } catch (const std::exception&) {
        return 0;
    }
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char byte : bytes) hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ULL;
    return hash;
}

std::string DroppedText(const RowsRead& rows) { return rows.dropped ? std::to_string(*rows.dropped) : "all"; }

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           modifiedNanoseconds == other.modifiedNanoseconds && contentHash == other.contentHash;
}

FileStamp StampOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return {};
    return {true,
            static_cast<std::uint64_t>(info.st_dev),
            static_cast<std::uint64_t>(info.st_ino),
            static_cast<long long>(info.st_size),
            static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec,
            S_ISREG(info.st_mode) ? ContentHash(path) : 0};
}

LoadedDocument::LoadedDocument(std::string path) : path_(std::move(path)), stamp_(StampOf(path_)) {}

bool LoadedDocument::ChangedOnDisk() const { return !path_.empty() && StampOf(path_) != stamp_; }

std::string ChangedOnDiskQuestion(const std::string& path) {
    return "The file " + path + " was changed by another program since it was opened. Overwrite it?";
}

bool SaveLoadedDocument(Dialogs& dialogs, const std::string& projectDirectory, const LoadedDocument& loaded,
                        const std::function<void()>& write, std::chrono::milliseconds wait) {
    const ProjectLock lock(projectDirectory, wait);
    if (loaded.ChangedOnDisk() && !dialogs.AskYesNo(ChangedOnDiskQuestion(loaded.Path()))) return false;
    write();
    return true;
}

void RowsRead::StopAt(std::size_t total) {
    stoppedEarly = true;
    dropped = total > kept ? total - kept : 0;
}

void RowsRead::StopUnread() {
    stoppedEarly = true;
    dropped.reset();
}

std::string PartlyReadQuestion(const std::string& path, const RowsRead& rows) {
    return path + " was read only in part (" + std::to_string(rows.kept) + " rows kept, " + DroppedText(rows) +
           " dropped). Writing now removes the others. Write anyway?";
}

std::string PartlyReadRefusal(const std::string& path, const RowsRead& rows) {
    return path + " was read only in part (" + std::to_string(rows.kept) + " rows kept, " + DroppedText(rows) +
           " dropped): saving would lose " +
           (!rows.dropped        ? std::string("all its rows")
            : *rows.dropped == 1 ? std::string("1 row")
                                 : std::to_string(*rows.dropped) + " rows") +
           "; nothing was written";
}

bool MayWritePartlyRead(Dialogs& dialogs, const std::string& path, const RowsRead& rows) {
    return rows.Whole() || dialogs.AskYesNo(PartlyReadQuestion(path, rows));
}

}  // namespace kestrova
