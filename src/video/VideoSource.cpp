#include "VideoSource.h"

#include "core/AppError.h"
#include "video/ValidateMP4.h"

#include <cmath>

extern "C" {
#include <libavutil/display.h>
}

namespace cadrelle {

namespace {

bool isUnit(double value) {
    return value == 1 || value == -1;
}

bool isVideoTrack(const AVStream* stream) {
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
           (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0;
}

AffineTransform displayTransform(const AVStream* stream) {
    AffineTransform transform;
    const auto* matrix = reinterpret_cast<const std::int32_t*>(
        av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (matrix != nullptr) {
        // The first two columns are 16.16 fixed point; the rows are
        // (a b u), (c d v), (tx ty w) as in the movie's track header.
        const auto fixed = [](std::int32_t value) { return value / 65536.0; };
        transform = {fixed(matrix[0]), fixed(matrix[1]), fixed(matrix[3]),
                     fixed(matrix[4]), fixed(matrix[6]), fixed(matrix[7])};
    }
    return transform;
}

// The path, once validateMP4 has found an MP4 there that FFmpeg may open.
const std::filesystem::path& checkedMp4(const std::filesystem::path& path) {
    validateMP4(path);
    return path;
}

[[noreturn]] void throwInvalid() {
    throw AppError("The recording has invalid dimensions or duration.");
}

} // namespace

bool AffineTransform::isQuarterTurn() const {
    return (b == 0 && c == 0 && isUnit(a) && isUnit(d)) ||
           (a == 0 && d == 0 && isUnit(b) && isUnit(c));
}

VideoSource::VideoSource(const std::filesystem::path& path, const CaptureExportControl& control)
    : input_(checkedMp4(path), control, "Cannot decode this recording.") {
    // The facts are read; later reads have no time limit and stop only for
    // a control handed over with watch().
    input_.watch(nullptr);
    AVFormatContext* raw = input_.context();

    int videoTracks = 0;
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        if (isVideoTrack(raw->streams[i])) {
            ++videoTracks;
            videoIndex_ = static_cast<int>(i);
        }
    }
    if (videoTracks != 1) {
        throw AppError("Choose an MP4 with one video track.");
    }
    const AVStream* stream = raw->streams[videoIndex_];

    if (raw->duration != AV_NOPTS_VALUE && raw->duration > 0) {
        duration_ = static_cast<double>(raw->duration) / AV_TIME_BASE;
    } else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        duration_ = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    }
    naturalWidth_ = stream->codecpar->width;
    naturalHeight_ = stream->codecpar->height;
    transform_ = displayTransform(stream);
    frameRate_ = static_cast<float>(stream->avg_frame_rate.den != 0 ? av_q2d(stream->avg_frame_rate)
                                                                    : std::nan(""));
    timeScale_ = stream->time_base.num == 1 ? stream->time_base.den : 0;

    const double displayWidth =
        std::abs(transform_.a * naturalWidth_) + std::abs(transform_.c * naturalHeight_);
    const double displayHeight =
        std::abs(transform_.b * naturalWidth_) + std::abs(transform_.d * naturalHeight_);
    if (!std::isfinite(duration_) || duration_ <= 0 || !std::isfinite(displayWidth) ||
        !std::isfinite(displayHeight) || displayWidth < 1 || displayHeight < 1 ||
        displayWidth > 10000 || displayHeight > 10000 ||
        displayWidth * displayHeight > 24'000'000) {
        throwInvalid();
    }
    width_ = std::llround(displayWidth);
    height_ = std::llround(displayHeight);
}

} // namespace cadrelle
