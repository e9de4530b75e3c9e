#pragma once

#include "video/FfmpegHandles.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace cadrelle {

// The sound a resampler gives: samples of one rate, channel count and format.
struct AudioOutputFormat {
    int sampleRate = 48'000;
    int channels = 2;
    AVSampleFormat format = AV_SAMPLE_FMT_S16;
};

// Converts decoded sound of any layout, rate and sample format to one output
// format with libswresample: the interleaved samples an audio output plays,
// or the planar samples an encoder takes.
class AudioResampler {
public:
    // Throws AppError(failure) when libswresample can't convert between the
    // decoder's sound and `output`.
    AudioResampler(const AVCodecContext& decoder, AudioOutputFormat output,
                   std::string_view failure);

    // `frame`'s samples in the output format, or with nullptr what the
    // filter still holds; it may hold no samples while the filter fills.
    // Valid until the next call.
    const AVFrame& resample(const AVFrame* frame);
    // The same as the bytes of an interleaved output format.
    std::vector<std::uint8_t> convert(const AVFrame& frame);

private:
    AudioOutputFormat output_;
    std::string failure_;
    ResampleContextPtr context_;
    FramePtr converted_;
};

} // namespace cadrelle
