#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include <nlohmann/json_fwd.hpp>

namespace cadrelle {

// A file's size and modification date. It exists only for an existing regular
// file whose attributes can be read; two stamps are equal when both fields are.
struct FileStamp {
    std::uint64_t size = 0;
    // Seconds since 2001-01-01 00:00:00 UTC, with sub-second precision.
    double modified = 0;

    // Follows symbolic links: the stamp of the file a link points to.
    static std::optional<FileStamp> of(const std::filesystem::path& path);
    // Does not follow them: a symbolic link itself has no stamp, wherever it
    // points. For folders whose files must be regular files of their own.
    static std::optional<FileStamp> ofEntry(const std::filesystem::path& path);

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

void to_json(nlohmann::json& json, const FileStamp& stamp);
void from_json(const nlohmann::json& json, FileStamp& stamp);

} // namespace cadrelle
