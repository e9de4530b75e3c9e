#pragma once

#include <filesystem>

namespace cadrelle {

// Checks that the MP4 at `path` is completely written: its top-level boxes
// fill the file exactly and include both "moov" and "mdat". Nothing inside a
// box is read. Throws AppError, or FileError when the file cannot be read.
void validateMP4(const std::filesystem::path& path);

} // namespace cadrelle
