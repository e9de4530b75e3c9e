#pragma once

#include <filesystem>

namespace cadrelle {

// Copies the QuickTime movie `source` to the new file `destination`, adding
// an `almo` box (00 00 01 02) at the end of every `hvc1` sample entry, as the
// platform's own HEVC-with-alpha files carry. Chunk offsets are moved when
// the movie header precedes the media data. Throws FileError for file
// failures and HevcStreamError for a movie without an `hvc1` entry.
void addAlphaModeBox(const std::filesystem::path& source, const std::filesystem::path& destination);

} // namespace cadrelle
