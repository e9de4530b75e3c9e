#include "AudioTranscoder.h"

#include "core/AppError.h"
#include "video/MediaInput.h"

namespace cadrelle {

namespace {

const char* const kCannotPreserve = "Cannot preserve the recording's audio.";
const char* const kEncodeFailed = "Unable to encode the audio.";

} // namespace

AudioTranscoder::AudioTranscoder(const AVStream& input, MovieWriter& writer)
    : inputIndex_(input.index), inputTimeBase_(input.time_base), writer_(writer),
      decoded_(makeFrame()), chunk_(makeFrame()), packet_(makePacket()) {
    const AVCodecParameters& parameters = *input.codecpar;
    const int channels = parameters.ch_layout.nb_channels;
    if (channels < 1 || channels > 2 || parameters.sample_rate <= 0) {
        throw AppError("This recording's audio is unsupported. Use mono or stereo audio.");
    }
    decoder_ = MediaInput::openDecoder(input, {}, kCannotPreserve);
    const AVCodec* encoder = avcodec_find_encoder_by_name("aac");
    if (!decoder_ || encoder == nullptr) {
        throw AppError(kCannotPreserve);
    }

    encoder_.reset(avcodec_alloc_context3(encoder));
    if (!encoder_) {
        throw std::bad_alloc();
    }
    encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder_->sample_rate = parameters.sample_rate;
    av_channel_layout_default(&encoder_->ch_layout, channels);
    encoder_->bit_rate = 192000;
    encoder_->time_base = AVRational{1, parameters.sample_rate};
    if (writer.wantsGlobalHeader()) {
        encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(encoder_.get(), encoder, nullptr) < 0) {
        throw AppError(kCannotPreserve);
    }
    stream_ = writer.addStream(*encoder_, kCannotPreserve);
    fifo_.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels, encoder_->frame_size * 2));
    if (!fifo_) {
        throw std::bad_alloc();
    }
}

void AudioTranscoder::send(const AVPacket* packet) {
    const int sent = avcodec_send_packet(decoder_.get(), packet);
    if (sent < 0 && sent != AVERROR_EOF) {
        throwOnFailure(sent, "The recording is damaged or incomplete.");
    }
    for (;;) {
        const int status = avcodec_receive_frame(decoder_.get(), decoded_.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
            break;
        }
        throwOnFailure(status, "The recording is damaged or incomplete.");
        convert(*decoded_);
        av_frame_unref(decoded_.get());
        encode(false);
    }
    if (packet == nullptr) {
        if (resampler_) {
            // Whatever the resampler still holds.
            write(resampler_->resample(nullptr));
        }
        encode(true);
        throwOnFailure(avcodec_send_frame(encoder_.get(), nullptr), kEncodeFailed);
        drain();
    }
}

void AudioTranscoder::convert(const AVFrame& decoded) {
    if (nextTime_ == AV_NOPTS_VALUE) {
        nextTime_ =
            decoded.best_effort_timestamp == AV_NOPTS_VALUE
                ? 0
                : av_rescale_q(decoded.best_effort_timestamp, inputTimeBase_, encoder_->time_base);
    }
    if (!resampler_) {
        resampler_ = std::make_unique<AudioResampler>(
            *decoder_,
            AudioOutputFormat{encoder_->sample_rate, encoder_->ch_layout.nb_channels,
                              AV_SAMPLE_FMT_FLTP},
            kCannotPreserve);
    }
    write(resampler_->resample(&decoded));
}

void AudioTranscoder::write(const AVFrame& samples) {
    if (samples.nb_samples <= 0) {
        return;
    }
    if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(samples.extended_data),
                            samples.nb_samples) < samples.nb_samples) {
        throw std::bad_alloc();
    }
}

void AudioTranscoder::encode(bool final) {
    const int size = encoder_->frame_size;
    while (av_audio_fifo_size(fifo_.get()) >= size ||
           (final && av_audio_fifo_size(fifo_.get()) > 0)) {
        av_frame_unref(chunk_.get());
        chunk_->nb_samples = std::min(size, av_audio_fifo_size(fifo_.get()));
        chunk_->format = AV_SAMPLE_FMT_FLTP;
        chunk_->sample_rate = encoder_->sample_rate;
        throwOnFailure(av_channel_layout_copy(&chunk_->ch_layout, &encoder_->ch_layout),
                       kEncodeFailed);
        throwOnFailure(av_frame_get_buffer(chunk_.get(), 0), kEncodeFailed);
        av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(chunk_->data), chunk_->nb_samples);
        chunk_->pts = nextTime_;
        nextTime_ += chunk_->nb_samples;
        throwOnFailure(avcodec_send_frame(encoder_.get(), chunk_.get()), kEncodeFailed);
        drain();
    }
}

void AudioTranscoder::drain() {
    for (;;) {
        const int status = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
            return;
        }
        throwOnFailure(status, kEncodeFailed);
        writer_.write(*packet_, *stream_, encoder_->time_base, kEncodeFailed);
    }
}

} // namespace cadrelle
