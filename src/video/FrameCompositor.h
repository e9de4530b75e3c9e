#pragma once

#include "frames/LoadedFrame.h"
#include "video/FfmpegHandles.h"

#include <cstdint>
#include <vector>

namespace cadrelle {

// How the framed pictures are laid out for the encoder.
struct CompositeLayout {
    // Planar YUV, optionally with alpha: yuv420p, yuva420p or yuva444p10le.
    AVPixelFormat format = AV_PIX_FMT_YUV420P;
    // Outside the device: transparent when the layout has alpha, else black.
    // Colour of partly transparent pixels is premultiplied by alpha when set,
    // straight otherwise.
    bool premultiplied = false;
};

// Places recording pictures into a device frame, directly in the encoder's
// Y'CbCr layout (BT.709, video range). Every output sample is
// recording × weight + constant, with weight and constant fixed by the frame,
// its mask and the background; so the samples that do not depend on the
// recording are painted once, the recording is copied row by row where the
// opening is clear, and only the samples under the bezel's edge are blended.
class FrameCompositor {
public:
    FrameCompositor(const LoadedFrame& frame, int outputWidth, int outputHeight,
                    CompositeLayout layout);
    FrameCompositor(const FrameCompositor&) = delete;
    FrameCompositor& operator=(const FrameCompositor&) = delete;

    // The layout the recording's pictures must arrive in: upright, exactly
    // the opening's size, Y'CbCr without alpha at the output's depth.
    AVPixelFormat recordingFormat() const { return recordingFormat_; }

    // Composites one upright recording picture. The returned frame belongs to
    // the compositor and stays valid until the next call; an encoder may keep
    // references to it, in which case a further output frame is used.
    AVFrame* compose(const AVFrame& recording);

    // How many output frames exist (for tests: memory stays bounded).
    std::size_t outputFrameCount() const { return outputs_.size(); }

private:
    struct Run {
        std::int32_t x = 0;
        std::int32_t length = 0;
        // Index of the first blend weight, or -1 for a plain copy.
        std::int64_t blend = -1;
    };
    struct Plane {
        int shiftX = 0;
        int shiftY = 0;
        int width = 0;
        int height = 0;
        int originX = 0;
        int originY = 0;
        // Runs of row y are runs[rowStart[y]] … runs[rowStart[y + 1] - 1].
        std::vector<std::uint32_t> rowStart;
        std::vector<Run> runs;
        std::vector<std::uint32_t> weights;
        std::vector<std::uint32_t> offsets;
    };

    void prepare(const LoadedFrame& frame);
    template <typename Sample> void composePlanes(const AVFrame& recording, AVFrame& output);
    AVFrame* writableOutput();

    CompositeLayout layout_;
    AVPixelFormat recordingFormat_;
    int width_;
    int height_;
    int depth_ = 8;
    int recordingWidth_ = 0;
    int recordingHeight_ = 0;
    std::vector<Plane> planes_; // colour planes only; alpha never depends on the recording
    FramePtr base_;
    std::vector<FramePtr> outputs_;
};

} // namespace cadrelle
