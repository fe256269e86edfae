#include "core/canopen/zip_archive.h"

#include <zip.h>

#include "core/project/error.h"

namespace kestrova {

struct ZipArchive::State {
    std::string bytes;  // libzip reads from these, so they live as long as the archive
    zip_t* archive = nullptr;
    size_t partLimit = 0;
    size_t totalLimit = 0;
    size_t total = 0;
};

namespace {

std::string ZipReason(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    return reason;
}

std::string MiB(size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

}  // namespace

ZipArchive::ZipArchive(std::string bytes, size_t partLimit, size_t totalLimit) : state_(std::make_unique<State>()) {
    state_->bytes = std::move(bytes);
    state_->partLimit = partLimit;
    state_->totalLimit = totalLimit;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(state_->bytes.data(), state_->bytes.size(), 0, &error);
    if (source) {
        state_->archive = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!state_->archive) zip_source_free(source);
    }
    if (!state_->archive) {
        const std::string reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw Error("the file is a damaged zip archive (" + reason + ")");
    }
    zip_error_fini(&error);
}

ZipArchive::~ZipArchive() {
    if (state_->archive) zip_discard(state_->archive);
}

bool ZipArchive::Has(const std::string& name) const { return zip_name_locate(state_->archive, name.c_str(), 0) >= 0; }

std::optional<std::string> ZipArchive::Read(const std::string& name) {
    const zip_int64_t index = zip_name_locate(state_->archive, name.c_str(), 0);
    if (index < 0) return std::nullopt;
    // A part claiming to be too large is refused at once; one that claims less is still counted
    // as it unpacks.
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(state_->archive, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_SIZE) && stat.size > state_->partLimit)
        throw Error("the part " + name + " unpacks to more than " + MiB(state_->partLimit) +
                    " (a workbook never holds so much)");
    zip_file_t* file = zip_fopen_index(state_->archive, static_cast<zip_uint64_t>(index), 0);
    if (!file)
        throw Error("the part " + name + " cannot be unpacked (" +
                    std::string(zip_error_strerror(zip_get_error(state_->archive))) + ")");
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            const std::string reason = zip_error_strerror(zip_file_get_error(file));
            zip_fclose(file);
            throw Error("the part " + name + " cannot be unpacked (" + reason + ")");
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
        if (bytes.size() > state_->partLimit) {
            zip_fclose(file);
            throw Error("the part " + name + " unpacks to more than " + MiB(state_->partLimit) +
                        " (a workbook never holds so much)");
        }
        if (state_->total + bytes.size() > state_->totalLimit) {
            zip_fclose(file);
            throw Error("the workbook unpacks to more than " + MiB(state_->totalLimit) +
                        " (a workbook never holds so much)");
        }
    }
    if (const int closed = zip_fclose(file); closed != 0)
        throw Error("the part " + name + " cannot be unpacked (" + ZipReason(closed) + ")");
    state_->total += bytes.size();
    return bytes;
}

bool LooksLikeZip(const std::string& bytes) {
    return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K' &&
           ((bytes[2] == '\3' && bytes[3] == '\4') || (bytes[2] == '\5' && bytes[3] == '\6'));
}

}  // namespace kestrova
