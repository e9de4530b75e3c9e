#pragma once

#include "video/VideoEncoderSink.h"

namespace cadrelle {

// A video track encoded by one of FFmpeg's encoders: libx264 (High profile,
// no B-frames, the bit-rate rule) for mp4, prores_ks (4444 with alpha) for
// ProRes, and for HEVC with alpha any HEVC encoder of the linked FFmpeg that
// takes pictures with alpha.
class CodecVideoSink final : public VideoEncoderSink {
public:
    CodecVideoSink(VideoExportFormat format, MovieWriter& writer,
                   const VideoTrackSettings& settings);

    CompositeLayout layout() const override { return layout_; }
    void write(AVFrame& frame) override;
    void finish(const CaptureExportControl& control) override;

    // The preset libx264 runs with (the benchmark's peer uses the same).
    static constexpr const char* kX264Preset = "fast";
    static constexpr const char* kX264Lookahead = "10";

private:
    void drain(const CaptureExportControl* control);
    void writePending(std::int64_t end);

    MovieWriter& writer_;
    VideoTrackSettings settings_;
    CompositeLayout layout_;
    CodecContextPtr context_;
    AVStream* stream_ = nullptr;
    PacketPtr packet_;
    // The newest packet waits for the next one, which tells its duration.
    PacketPtr pending_;
};

// An HEVC encoder of the linked FFmpeg that takes pictures with alpha, and
// that layout; none on builds without one.
const AVCodec* findAlphaHevcEncoder(AVPixelFormat* format);

} // namespace cadrelle
