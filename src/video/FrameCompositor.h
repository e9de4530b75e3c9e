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
// Y'CbCr layout (BT.709, video range). Every output sample is a weighted sum
// of the recording samples under it plus a constant, with weights and constant
// fixed by the frame, its mask and the background; so the samples that do not
// depend on the recording are painted once, the recording is copied row by row
// where the opening is clear, and only the samples under the bezel's edge are
// blended. A subsampled chroma sample covers the pixels it stands for exactly:
// where the opening starts at an odd column or row, each output chroma sample
// straddles two recording chroma samples across and/or down and takes the
// share of each that its pixels show (the mean of them where the opening is
// clear), so colour edges stay where the recording has them.
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
    // A run of neighbouring output samples of one kind: copied from the
    // recording, the plain mean of the recording samples under each, or
    // blended with weights and constants of their own.
    static constexpr std::int64_t kCopy = -1;
    static constexpr std::int64_t kMean = -2;
    struct Run {
        std::int32_t x = 0;
        std::int32_t length = 0;
        // kCopy, kMean, or the index of the first blended sample's terms.
        std::int64_t blend = kCopy;
    };
    struct Plane {
        int shiftX = 0;
        int shiftY = 0;
        int width = 0;
        int height = 0;
        // Output sample (x, y) draws on the recording samples from
        // (x - originX, y - originY) on, taps wide and taps high.
        int originX = 0;
        int originY = 0;
        int tapsX = 1;
        int tapsY = 1;
        int sourceWidth = 0;
        int sourceHeight = 0;
        // Runs of row y are runs[rowStart[y]] … runs[rowStart[y + 1] - 1].
        std::vector<std::uint32_t> rowStart;
        std::vector<Run> runs;
        // tapsX × tapsY weights (row by row) and one offset per blended sample.
        std::vector<std::uint32_t> weights;
        std::vector<std::uint32_t> offsets;
    };

    void prepare(const LoadedFrame& frame);
    static void addSample(Plane& plane, int x, int y, const double* weights, double constant);
    template <typename Sample>
    static void composePlane(const Plane& plane, const std::uint8_t* recording, int stride,
                             std::uint8_t* output, int outputStride);
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
