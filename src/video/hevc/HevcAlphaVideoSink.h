#pragma once

#include "video/VideoEncoderSink.h"
#include "video/hevc/HevcAlphaEncoder.h"

#include <memory>

namespace cadrelle {

// The video track of a transparent HEVC movie on FFmpeg builds without an
// alpha-capable HEVC encoder: two libx265 encodes (colour and alpha) joined
// into one two-layer stream, in an `hvc1` sample entry whose `hvcC` holds
// both layers' parameter sets and the alpha SEI, followed by an `almo` box.
class HevcAlphaVideoSink final : public VideoEncoderSink {
public:
    HevcAlphaVideoSink(MovieWriter& writer, const VideoTrackSettings& settings);

    // Colour premultiplied by alpha, alpha 0 outside the device.
    CompositeLayout layout() const override { return {AV_PIX_FMT_YUVA420P, true}; }
    void write(AVFrame& frame) override;
    void finish(const CaptureExportControl& control) override;
    void completeMovie(const std::filesystem::path& movie,
                       const CaptureExportControl& control) override;

    // The preset both libx265 encoders run with.
    static constexpr const char* kX265Preset = "ultrafast";

private:
    void deliver(EncodedAccessUnit&& unit);
    void writePending(std::int64_t end);

    MovieWriter& writer_;
    VideoTrackSettings settings_;
    std::unique_ptr<HevcAlphaEncoder> encoder_;
    AVStream* stream_ = nullptr;
    PacketPtr pending_;
};

} // namespace cadrelle
