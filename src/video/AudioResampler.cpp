#include "AudioResampler.h"

#include "core/AppError.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace cadrelle {

AudioResampler::AudioResampler(const AVCodecContext& decoder, AudioOutputFormat output,
                               std::string_view failure)
    : output_(output), failure_(failure), converted_(makeFrame()) {
    AVChannelLayout outputLayout;
    av_channel_layout_default(&outputLayout, output.channels);
    AVChannelLayout inputLayout;
    if (av_channel_layout_check(&decoder.ch_layout) != 0 &&
        decoder.ch_layout.order != AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_copy(&inputLayout, &decoder.ch_layout);
    } else {
        av_channel_layout_default(&inputLayout, std::max(decoder.ch_layout.nb_channels, 1));
    }
    SwrContext* raw = nullptr;
    const int made =
        swr_alloc_set_opts2(&raw, &outputLayout, output.format, output.sampleRate, &inputLayout,
                            decoder.sample_fmt, decoder.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inputLayout);
    av_channel_layout_uninit(&outputLayout);
    context_.reset(raw);
    if (made < 0 || swr_init(raw) < 0) {
        throw AppError(failure_);
    }
}

const AVFrame& AudioResampler::resample(const AVFrame* frame) {
    AVFrame& out = *converted_;
    av_frame_unref(&out);
    const int input = frame != nullptr ? frame->nb_samples : 0;
    out.format = output_.format;
    out.sample_rate = output_.sampleRate;
    av_channel_layout_default(&out.ch_layout, output_.channels);
    out.nb_samples = swr_get_out_samples(context_.get(), input);
    if (out.nb_samples <= 0) {
        out.nb_samples = 0;
        return out;
    }
    throwOnFailure(av_frame_get_buffer(&out, 0), failure_);
    const int written = swr_convert(
        context_.get(), out.extended_data, out.nb_samples,
        frame != nullptr ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr, input);
    throwOnFailure(written, failure_);
    out.nb_samples = written;
    return out;
}

std::vector<std::uint8_t> AudioResampler::convert(const AVFrame& frame) {
    const AVFrame& out = resample(&frame);
    const std::size_t size = std::size_t(out.nb_samples) * std::size_t(output_.channels) *
                             std::size_t(av_get_bytes_per_sample(output_.format));
    return size == 0 ? std::vector<std::uint8_t>()
                     : std::vector<std::uint8_t>(out.data[0], out.data[0] + size);
}

} // namespace cadrelle
