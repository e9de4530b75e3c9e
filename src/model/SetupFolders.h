#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace cadrelle {

// The checks that both chosen folders really work, made before setup is
// completed.
namespace SetupFolders {

// Lists the capture folder and writes and removes an empty probe file
// (".lumivane-access-" + a UUID, never replacing a file) in the export
// folder. Throws AppError with the sentence the user sees.
void validate(const std::filesystem::path& input, const std::filesystem::path& output);

} // namespace SetupFolders

// A folder bookmark. On this platform a folder is reopened by its path, so the
// bookmark holds the path's bytes and needs no access grant.
std::vector<std::uint8_t> folderBookmark(const std::filesystem::path& folder);
// The folder a bookmark names, or none when it is empty or the folder is gone.
std::optional<std::filesystem::path>
resolveFolderBookmark(const std::vector<std::uint8_t>& bookmark);

} // namespace cadrelle
