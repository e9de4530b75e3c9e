#pragma once

#include "core/CaptureExportControl.h"
#include "video/FfmpegHandles.h"
#include "video/MediaInput.h"

#include <cstdint>
#include <filesystem>

namespace cadrelle {

// A 2-D affine transform (x', y') = (a·x + c·y + tx, b·x + d·y + ty), as the
// display matrix of an MP4 track states it for top-left-origin pictures.
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    bool isIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1; }
    // True for the eight rotations by quarter turns, with or without a mirror.
    bool isQuarterTurn() const;

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

// An opened, checked MP4 recording with its one video track and timing facts.
class VideoSource {
public:
    // Runs validateMP4, opens the file and reads its facts, giving up after
    // 30 seconds or when `control` is cancelled. Throws AppError, FileError or
    // Cancelled.
    VideoSource(const std::filesystem::path& path, const CaptureExportControl& control);

    const std::filesystem::path& path() const { return input_.path(); }
    // Lets `control` (which must outlive the reads) stop further reads.
    void watch(const CaptureExportControl& control) { input_.watch(&control); }
    // The opened file, positioned at the start; renderVideo reads through it.
    MediaInput& input() { return input_; }
    AVFormatContext* context() const { return input_.context(); }
    AVStream* videoStream() const { return &input_.stream(videoIndex_); }
    int videoIndex() const { return videoIndex_; }

    // Seconds from the start of the recording to its end.
    double duration() const { return duration_; }
    const AffineTransform& transform() const { return transform_; }
    double naturalWidth() const { return naturalWidth_; }
    double naturalHeight() const { return naturalHeight_; }
    // The display size after the transform, rounded.
    std::int64_t width() const { return width_; }
    std::int64_t height() const { return height_; }
    float frameRate() const { return frameRate_; }
    std::int32_t timeScale() const { return timeScale_; }

private:
    MediaInput input_;
    int videoIndex_ = -1;
    double duration_ = 0;
    AffineTransform transform_;
    double naturalWidth_ = 0;
    double naturalHeight_ = 0;
    std::int64_t width_ = 0;
    std::int64_t height_ = 0;
    float frameRate_ = 0;
    std::int32_t timeScale_ = 0;
};

} // namespace cadrelle
