#pragma once

#include <QSize>

#include <filesystem>

namespace cadrelle::artwork {

// Writes a short screen-recording-like MP4 (H.264, 30 frames per second, no
// audio) of an app screen scrolling from one screenshot to the next.
void writeSampleRecording(QSize size, double seconds, const std::filesystem::path& path);

} // namespace cadrelle::artwork
