#pragma once

#include "video/AudioResampler.h"
#include "video/FfmpegHandles.h"
#include "video/MovieWriter.h"

namespace cadrelle {

// Re-encodes one audio track of the recording to AAC at 192 kbit/s with
// FFmpeg's own encoder, keeping its sample rate, channel count and times.
class AudioTranscoder {
public:
    // Throws "This recording's audio is unsupported. Use mono or stereo audio."
    // unless the track has one or two channels, and "Cannot preserve the
    // recording's audio." when it cannot be decoded or encoded.
    AudioTranscoder(const AVStream& input, MovieWriter& writer);

    int inputIndex() const { return inputIndex_; }
    // Hands one packet of the track over; nullptr ends it and writes the rest.
    void send(const AVPacket* packet);

private:
    void convert(const AVFrame& decoded);
    // Adds resampled sound to the samples waiting for the encoder.
    void write(const AVFrame& samples);
    void encode(bool final);
    void drain();

    int inputIndex_;
    AVRational inputTimeBase_;
    MovieWriter& writer_;
    CodecContextPtr decoder_;
    CodecContextPtr encoder_;
    AVStream* stream_ = nullptr;
    std::unique_ptr<AudioResampler> resampler_;
    AudioFifoPtr fifo_;
    FramePtr decoded_;
    FramePtr chunk_;
    PacketPtr packet_;
    std::int64_t nextTime_ = AV_NOPTS_VALUE;
};

} // namespace cadrelle
