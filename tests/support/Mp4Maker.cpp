#include "Mp4Maker.h"

#include "video/FfmpegHandles.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

namespace cadrelle::test {

namespace {

void check(int status, const char* what) {
    if (status < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(status, text, sizeof text);
        throw std::runtime_error(std::string("Mp4Maker: ") + what + ": " + text);
    }
}

struct Encoder {
    CodecContextPtr context;
    AVStream* stream = nullptr;
    // Given to packets the encoder leaves without one (in its time base).
    std::int64_t packetDuration = 0;
};

void drain(AVFormatContext* output, Encoder& encoder, AVPacket* packet) {
    for (;;) {
        const int status = avcodec_receive_packet(encoder.context.get(), packet);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
            return;
        }
        check(status, "encode");
        if (packet->duration == 0) {
            packet->duration = encoder.packetDuration;
        }
        av_packet_rescale_ts(packet, encoder.context->time_base, encoder.stream->time_base);
        packet->stream_index = encoder.stream->index;
        check(av_interleaved_write_frame(output, packet), "write");
    }
}

void flush(AVFormatContext* output, Encoder& encoder, AVPacket* packet) {
    check(avcodec_send_frame(encoder.context.get(), nullptr), "flush");
    drain(output, encoder, packet);
}

// Lossless H.264. With a global header the parameter sets go into the track
// header; without one they lead the first picture, which lets a later encoder
// continue a track at another size.
CodecContextPtr openH264(const Mp4Spec& spec, int width, int height, bool fullRange,
                         bool globalHeader) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    CodecContextPtr context(avcodec_alloc_context3(codec));
    context->width = width;
    context->height = height;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    if (fullRange) {
        context->color_range = AVCOL_RANGE_JPEG;
    }
    context->time_base = AVRational{1, 600};
    context->framerate = AVRational{spec.fps, 1};
    context->max_b_frames = 0;
    context->colorspace = AVCOL_SPC_BT709;
    context->color_primaries = AVCOL_PRI_BT709;
    context->color_trc = AVCOL_TRC_BT709;
    if (globalHeader) {
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    av_opt_set(context->priv_data, "preset", "ultrafast", 0);
    av_opt_set(context->priv_data, "qp", "0", 0);
    check(avcodec_open2(context.get(), codec, nullptr), "open video encoder");
    return context;
}

void openVideo(AVFormatContext* output, Encoder& encoder, const Mp4Spec& spec) {
    encoder.context = openH264(spec, spec.width, spec.height, false, true);
    encoder.stream = avformat_new_stream(output, nullptr);
    encoder.stream->time_base = encoder.context->time_base;
    encoder.stream->avg_frame_rate = AVRational{spec.fps, 1};
    check(avcodec_parameters_from_context(encoder.stream->codecpar, encoder.context.get()),
          "params");
}

void openAudio(AVFormatContext* output, Encoder& encoder, int channels) {
    const AVCodec* codec = avcodec_find_encoder_by_name("aac");
    encoder.context.reset(avcodec_alloc_context3(codec));
    encoder.context->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder.context->sample_rate = 44100;
    av_channel_layout_default(&encoder.context->ch_layout, channels);
    encoder.context->bit_rate = 128000;
    encoder.context->time_base = AVRational{1, 44100};
    encoder.context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(encoder.context.get(), codec, nullptr), "open audio encoder");
    encoder.stream = avformat_new_stream(output, nullptr);
    encoder.stream->time_base = encoder.context->time_base;
    check(avcodec_parameters_from_context(encoder.stream->codecpar, encoder.context.get()),
          "params");
}

// Fills picture `index` with BT.709 Y'CbCr in video or full range.
void paint(AVFrame* frame, const Mp4Spec& spec, int index, bool fullRange) {
    if (spec.counting) {
        const int grey = std::min(16 + 3 * index, 255);
        const auto luma = static_cast<std::uint8_t>(std::lround(16 + grey * 219.0 / 255));
        for (int y = 0; y < frame->height; ++y) {
            std::fill_n(frame->data[0] + y * frame->linesize[0], frame->width, luma);
        }
        for (int y = 0; y < (frame->height + 1) / 2; ++y) {
            std::fill_n(frame->data[1] + y * frame->linesize[1], (frame->width + 1) / 2,
                        std::uint8_t{128});
            std::fill_n(frame->data[2] + y * frame->linesize[2], (frame->width + 1) / 2,
                        std::uint8_t{128});
        }
        return;
    }
    const double lumaScale = fullRange ? 1.0 : 219.0 / 255;
    const double chromaScale = fullRange ? 1.0 : 224.0 / 255;
    const double black = fullRange ? 0 : 16;
    Mp4Spec shown = spec;
    shown.width = frame->width;
    shown.height = frame->height;
    for (int y = 0; y < frame->height; ++y) {
        for (int x = 0; x < frame->width; ++x) {
            const Rgb c = quadrantColour(shown, x, y);
            const double yy = 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
            frame->data[0][y * frame->linesize[0] + x] =
                static_cast<std::uint8_t>(std::lround(black + yy * lumaScale));
            if (x % 2 == 0 && y % 2 == 0) {
                const double cb = (c.b - yy) / 1.8556;
                const double cr = (c.r - yy) / 1.5748;
                frame->data[1][y / 2 * frame->linesize[1] + x / 2] =
                    static_cast<std::uint8_t>(std::lround(128 + cb * chromaScale));
                frame->data[2][y / 2 * frame->linesize[2] + x / 2] =
                    static_cast<std::uint8_t>(std::lround(128 + cr * chromaScale));
            }
        }
    }
}

} // namespace

Rgb quadrantColour(const Mp4Spec& spec, int x, int y) {
    const bool right = x >= spec.width / 2;
    const bool bottom = y >= spec.height / 2;
    if (!bottom) {
        return right ? Rgb{40, 200, 60} : Rgb{220, 40, 40};
    }
    return right ? Rgb{230, 220, 40} : Rgb{40, 60, 220};
}

void makeMp4(const std::filesystem::path& path, const Mp4Spec& spec) {
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* context = nullptr;
    check(avformat_alloc_output_context2(&context, nullptr, "mp4", path.c_str()), "muxer");
    const OutputContextPtr output(context);

    Encoder video;
    openVideo(output.get(), video, spec);
    if (spec.counting) {
        video.packetDuration = 600 / spec.fps;
    }
    if (spec.rotation != 0 || spec.mirror) {
        auto* matrix = reinterpret_cast<std::int32_t*>(
            av_stream_new_side_data(video.stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * 4));
        av_display_rotation_set(matrix, spec.rotation);
        av_display_matrix_flip(matrix, spec.mirror ? 1 : 0, 0);
    }
    Encoder second;
    if (spec.secondVideoTrack) {
        openVideo(output.get(), second, spec);
    }
    Encoder audio;
    if (spec.audioChannels > 0) {
        openAudio(output.get(), audio, spec.audioChannels);
    }
    check(avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE), "create file");
    check(avformat_write_header(output.get(), nullptr), "header");

    const PacketPtr packet = makePacket();
    const FramePtr frame = makeFrame();
    std::int64_t lastTime = 0;
    bool fullRange = false;
    for (int i = 0; i < spec.frames; ++i) {
        if (spec.resizeAt > 0 && i == spec.resizeAt) {
            flush(output.get(), video, packet.get());
            fullRange = spec.resizedFullRange;
            video.context = openH264(spec, spec.resizedWidth, spec.resizedHeight, fullRange, false);
        }
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = video.context->width;
        frame->height = video.context->height;
        if (fullRange) {
            frame->color_range = AVCOL_RANGE_JPEG;
        }
        check(av_frame_get_buffer(frame.get(), 0), "frame");
        paint(frame.get(), spec, i, fullRange);
        lastTime = spec.times.empty() ? i * 600 / spec.fps : spec.times[i];
        frame->pts = lastTime;
        check(avcodec_send_frame(video.context.get(), frame.get()), "send");
        drain(output.get(), video, packet.get());
        if (spec.secondVideoTrack) {
            check(avcodec_send_frame(second.context.get(), frame.get()), "send");
            drain(output.get(), second, packet.get());
        }
        av_frame_unref(frame.get());
    }
    flush(output.get(), video, packet.get());
    if (spec.secondVideoTrack) {
        flush(output.get(), second, packet.get());
    }

    if (audio.context) {
        const std::int64_t total = (lastTime + 600 / spec.fps) * 44100 / 600;
        const int size = audio.context->frame_size;
        for (std::int64_t start = 0; start < total; start += size) {
            frame->format = AV_SAMPLE_FMT_FLTP;
            frame->nb_samples = static_cast<int>(std::min<std::int64_t>(size, total - start));
            frame->sample_rate = 44100;
            av_channel_layout_copy(&frame->ch_layout, &audio.context->ch_layout);
            check(av_frame_get_buffer(frame.get(), 0), "audio frame");
            for (int c = 0; c < spec.audioChannels; ++c) {
                auto* samples = reinterpret_cast<float*>(frame->data[c]);
                for (int s = 0; s < frame->nb_samples; ++s) {
                    samples[s] = static_cast<float>(
                        0.3 * std::sin(2 * M_PI * (440 + 110 * c) * double(start + s) / 44100));
                }
            }
            frame->pts = start;
            check(avcodec_send_frame(audio.context.get(), frame.get()), "send audio");
            drain(output.get(), audio, packet.get());
            av_frame_unref(frame.get());
        }
        flush(output.get(), audio, packet.get());
    }
    check(av_write_trailer(output.get()), "trailer");
}

void makeCountingMovie(const std::filesystem::path& path, int width, int height, int fps,
                       int frames) {
    if (frames > 80) {
        throw std::invalid_argument("Mp4Maker: a counting movie has at most 80 pictures");
    }
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* context = nullptr;
    check(avformat_alloc_output_context2(&context, nullptr, "mov", path.c_str()), "muxer");
    const OutputContextPtr output(context);

    Encoder video;
    const AVCodec* codec = avcodec_find_encoder_by_name("prores_ks");
    video.context.reset(avcodec_alloc_context3(codec));
    video.context->width = width;
    video.context->height = height;
    video.context->pix_fmt = AV_PIX_FMT_YUV444P10LE;
    video.context->time_base = AVRational{1, fps};
    video.context->framerate = AVRational{fps, 1};
    video.context->colorspace = AVCOL_SPC_BT709;
    av_opt_set(video.context->priv_data, "profile", "4444", 0);
    check(avcodec_open2(video.context.get(), codec, nullptr), "open video encoder");
    video.stream = avformat_new_stream(output.get(), nullptr);
    video.stream->time_base = video.context->time_base;
    video.stream->avg_frame_rate = AVRational{fps, 1};
    check(avcodec_parameters_from_context(video.stream->codecpar, video.context.get()), "params");
    check(avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE), "create file");
    check(avformat_write_header(output.get(), nullptr), "header");

    const PacketPtr packet = makePacket();
    const FramePtr frame = makeFrame();
    for (int i = 0; i < frames; ++i) {
        frame->format = AV_PIX_FMT_YUV444P10LE;
        frame->width = width;
        frame->height = height;
        check(av_frame_get_buffer(frame.get(), 0), "frame");
        // Grey in video range: luma 64…940 for levels 0…255, chroma at its middle.
        const auto luma = static_cast<std::uint16_t>(std::lround(64 + (16 + 3 * i) * 876.0 / 255));
        const std::uint16_t samples[3] = {luma, 512, 512};
        for (int plane = 0; plane < 3; ++plane) {
            for (int y = 0; y < height; ++y) {
                auto* row = reinterpret_cast<std::uint16_t*>(frame->data[plane] +
                                                             y * frame->linesize[plane]);
                std::fill(row, row + width, samples[plane]);
            }
        }
        frame->pts = i;
        check(avcodec_send_frame(video.context.get(), frame.get()), "send");
        drain(output.get(), video, packet.get());
        av_frame_unref(frame.get());
    }
    flush(output.get(), video, packet.get());
    check(av_write_trailer(output.get()), "trailer");
}

} // namespace cadrelle::test
