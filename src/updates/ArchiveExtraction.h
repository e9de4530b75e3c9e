#pragma once

#include <cstdint>
#include <filesystem>

namespace cadrelle {

// Unpacks the .tar.gz `archive` into the existing, empty `folder`, refusing
// anything that could write outside it or surprise the user: absolute paths,
// ".." components, hard links, symbolic links that lead out of the folder
// (directly, or through other links once everything is unpacked), device
// files, pipes and sockets, and more than `sizeLimit` bytes of file contents. Set-user-ID and
// similar mode bits are dropped. Throws AppError with a sentence for the user; the caller removes
// the folder then.
void extractArchive(const std::filesystem::path& archive, const std::filesystem::path& folder,
                    std::uint64_t sizeLimit);

} // namespace cadrelle
