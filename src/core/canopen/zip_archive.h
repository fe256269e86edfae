#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace kestrova {

// A workbook's parts are never larger than this when unpacked, nor all of them together than
// the second limit: a zip bomb is refused long before it fills the memory.
inline constexpr size_t kZipPartLimit = size_t(64) << 20;
inline constexpr size_t kZipTotalLimit = size_t(256) << 20;

// A zip archive held in memory (libzip). Entries are looked up by their names as texts; a name
// is never used as a file-system path.
class ZipArchive {
public:
    // Throws Error ("the file is a damaged zip archive (...)") when libzip refuses the bytes.
    explicit ZipArchive(std::string bytes, size_t partLimit = kZipPartLimit, size_t totalLimit = kZipTotalLimit);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool Has(const std::string& name) const;
    // The unpacked bytes of the entry; nothing when there is no such entry. Throws Error when it
    // cannot be unpacked or passes a limit (whatever size the archive claims for it).
    std::optional<std::string> Read(const std::string& name);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// True for bytes that start like a zip archive ("PK\3\4", or an empty archive's "PK\5\6").
bool LooksLikeZip(const std::string& bytes);

}  // namespace kestrova
