#pragma once

#include "core/CaptureExportControl.h"

#include <filesystem>

namespace cadrelle {

// Adds an `almo` box (00 00 01 02) at the end of every `hvc1` sample entry of
// the QuickTime movie at `movie`, as the platform's own HEVC-with-alpha files
// carry. The movie is rewritten into a hidden file beside it, which then
// replaces it; chunk offsets move when the movie header precedes the media
// data. Throws FileError, Cancelled (checked between chunks), or
// HevcStreamError for a movie without an `hvc1` entry; on failure the movie
// is left as it was.
void addAlphaModeBox(const std::filesystem::path& movie, const CaptureExportControl& control);

} // namespace cadrelle
