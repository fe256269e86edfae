#pragma once

#include <zip.h>

#include <string>
#include <utility>
#include <vector>

namespace kestrova::testing {

// A zip of the given entries (name, bytes) written by libzip, deflated or stored.
inline std::string ZipBytes(const std::vector<std::pair<std::string, std::string>>& entries, bool deflate = true) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_source_keep(buffer);
    for (const auto& [name, bytes] : entries) {
        const zip_int64_t index =
            zip_file_add(archive, name.c_str(), zip_source_buffer(archive, bytes.data(), bytes.size(), 0), 0);
        if (!deflate) zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    zip_close(archive);
    std::string bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        bytes.resize(static_cast<size_t>(zip_source_tell(buffer)));
        zip_source_seek(buffer, 0, SEEK_SET);
        zip_source_read(buffer, bytes.data(), bytes.size());
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

}  // namespace kestrova::testing
