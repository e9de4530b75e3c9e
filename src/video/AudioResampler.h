#pragma once

#include "video/FfmpegHandles.h"

#include <cstdint>
#include <vector>

namespace cadrelle {

// How decoded sound is handed out: interleaved samples of one format.
struct AudioOutputFormat {
    int sampleRate = 48'000;
    int channels = 2;
    AVSampleFormat format = AV_SAMPLE_FMT_S16;
};

// Converts decoded sound of any layout, rate and sample format to the
// interleaved format an audio output plays, with libswresample.
class AudioResampler {
public:
    // Throws AppError when libswresample can't convert between the two.
    AudioResampler(const AVCodecContext& decoder, AudioOutputFormat output);

    // `frame`'s samples in the output format; a chunk may be empty while the
    // resampler fills its filter.
    std::vector<std::uint8_t> convert(const AVFrame& frame);

private:
    AudioOutputFormat output_;
    ResampleContextPtr context_;
};

} // namespace cadrelle
