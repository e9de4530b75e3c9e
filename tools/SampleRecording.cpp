#include "SampleRecording.h"

#include "ScreenshotArtwork.h"

#include "video/FfmpegHandles.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

namespace cadrelle::artwork {

namespace {

void check(int status, const char* operation) {
    if (status < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(status, text, sizeof text);
        throw std::runtime_error(std::string(operation) + ": " + text);
    }
}

// Sends one picture (or the end, when `frame` is null) and writes every
// packet the encoder has ready.
void encode(AVFormatContext* output, AVCodecContext* encoder, AVStream* stream,
            const AVFrame* frame, AVPacket* packet) {
    check(avcodec_send_frame(encoder, frame), "encode");
    for (;;) {
        const int status = avcodec_receive_packet(encoder, packet);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
            return;
        }
        check(status, "encode");
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        check(av_interleaved_write_frame(output, packet), "write");
    }
}

// The screen at time t: the first screenshot scrolls up into the second with
// an ease-in-out motion, after a short pause.
QImage picture(const QImage& first, const QImage& second, double t) {
    const double progress = std::clamp((t - 0.2) / 0.6, 0.0, 1.0);
    const double eased = 0.5 - 0.5 * std::cos(progress * 3.14159265358979);
    const int offset = static_cast<int>(std::lround(eased * first.height()));
    QImage image(first.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.drawImage(0, -offset, first);
    painter.drawImage(0, first.height() - offset, second);
    return image;
}

} // namespace

void writeSampleRecording(QSize size, double seconds, const std::filesystem::path& path) {
    constexpr int kFps = 30;
    av_log_set_level(AV_LOG_ERROR);
    const QImage first = drawScreenshot(size, 101);
    const QImage second = drawScreenshot(size, 202);

    AVFormatContext* rawOutput = nullptr;
    check(avformat_alloc_output_context2(&rawOutput, nullptr, "mp4", path.c_str()), "create");
    const OutputContextPtr output(rawOutput);

    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr) {
        codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    }
    if (codec == nullptr) {
        throw std::runtime_error("no H.264 encoder");
    }
    const CodecContextPtr encoder(avcodec_alloc_context3(codec));
    encoder->width = size.width();
    encoder->height = size.height();
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->time_base = AVRational{1, 600};
    encoder->framerate = AVRational{kFps, 1};
    encoder->colorspace = AVCOL_SPC_BT709;
    encoder->color_primaries = AVCOL_PRI_BT709;
    encoder->color_trc = AVCOL_TRC_BT709;
    if ((output->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    av_opt_set(encoder->priv_data, "preset", "fast", 0);
    av_opt_set(encoder->priv_data, "crf", "20", 0);
    check(avcodec_open2(encoder.get(), codec, nullptr), "open encoder");
    AVStream* stream = avformat_new_stream(output.get(), nullptr);
    check(stream == nullptr ? AVERROR(ENOMEM) : 0, "add stream");
    stream->time_base = encoder->time_base;
    check(avcodec_parameters_from_context(stream->codecpar, encoder.get()), "stream parameters");
    check(avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE), "open file");
    check(avformat_write_header(output.get(), nullptr), "write header");

    const FramePtr frame = makeFrame();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = size.width();
    frame->height = size.height();
    check(av_frame_get_buffer(frame.get(), 0), "allocate picture");
    const ScaleContextPtr scaler(sws_getContext(size.width(), size.height(), AV_PIX_FMT_BGRA,
                                                size.width(), size.height(), AV_PIX_FMT_YUV420P,
                                                SWS_BICUBIC, nullptr, nullptr, nullptr));
    check(scaler ? 0 : AVERROR(ENOMEM), "converter");
    const PacketPtr packet = makePacket();

    const int count = std::max(1, static_cast<int>(std::lround(seconds * kFps)));
    for (int index = 0; index < count; ++index) {
        const QImage image = picture(first, second, static_cast<double>(index) / count);
        check(av_frame_make_writable(frame.get()), "picture");
        const std::uint8_t* source[] = {image.constBits()};
        const int stride[] = {static_cast<int>(image.bytesPerLine())};
        const int rows =
            sws_scale(scaler.get(), source, stride, 0, size.height(), frame->data, frame->linesize);
        check(rows == size.height() ? 0 : AVERROR_EXTERNAL, "convert picture");
        frame->pts = static_cast<std::int64_t>(index) * 600 / kFps;
        encode(output.get(), encoder.get(), stream, frame.get(), packet.get());
    }
    encode(output.get(), encoder.get(), stream, nullptr, packet.get());
    check(av_write_trailer(output.get()), "finish");
}

} // namespace cadrelle::artwork
