#include "AudioResampler.h"

#include "core/AppError.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace cadrelle {

AudioResampler::AudioResampler(const AVCodecContext& decoder, AudioOutputFormat output)
    : output_(output) {
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
        throw AppError("The recording's sound can't be played.");
    }
}

std::vector<std::uint8_t> AudioResampler::convert(const AVFrame& frame) {
    const int room = swr_get_out_samples(context_.get(), frame.nb_samples);
    const int frameBytes = output_.channels * av_get_bytes_per_sample(output_.format);
    std::vector<std::uint8_t> bytes(std::size_t(std::max(room, 0)) * frameBytes);
    std::uint8_t* out[] = {bytes.data()};
    const int written =
        swr_convert(context_.get(), out, room,
                    const_cast<const std::uint8_t**>(frame.extended_data), frame.nb_samples);
    bytes.resize(std::size_t(std::max(written, 0)) * frameBytes);
    return bytes;
}

} // namespace cadrelle
