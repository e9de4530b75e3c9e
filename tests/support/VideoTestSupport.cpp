#include "VideoTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace cadrelle::test {

LoadedFrame makeTestFrame() {
    const int width = 81, height = 113;
    FrameAsset asset;
    asset.id = asset.digest = std::string(64, 'a');
    asset.name = "Test";
    asset.file = "test.png";
    asset.screen = PixelRect{kOpeningX, kOpeningY, 64, 96};
    asset.pixelWidth = width;
    asset.pixelHeight = height;
    Raster raster;
    raster.width = width;
    raster.height = height;
    raster.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(width) * height, 0);
    const auto set = [&](int x, int y, int r, int g, int b, int a) {
        std::uint8_t* p = raster.pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4;
        p[0] = static_cast<std::uint8_t>(r * a / 255);
        p[1] = static_cast<std::uint8_t>(g * a / 255);
        p[2] = static_cast<std::uint8_t>(b * a / 255);
        p[3] = static_cast<std::uint8_t>(a);
    };
    for (int y = 2; y < height - 2; ++y) {
        for (int x = 2; x < width - 2; ++x) {
            const bool inOpening =
                x >= kOpeningX && x < kOpeningX + 64 && y >= kOpeningY && y < kOpeningY + 96;
            const bool island = x >= 36 && x < 44 && y >= 12 && y < 16;
            if (!inOpening || island) {
                set(x, y, island ? 255 : 90, island ? 0 : 90, island ? 255 : 90, 255);
            } else {
                mask[static_cast<std::size_t>(y) * width + x] = 255;
                if (x == kOpeningX) {
                    set(x, y, 90, 90, 90, 128);
                }
            }
        }
    }
    return LoadedFrame(asset, std::move(raster), std::move(mask));
}

Rgba DecodedPicture::at(int x, int y) const {
    const std::uint8_t* p = rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    return Rgba{p[0], p[1], p[2], p[3]};
}

bool near(const Rgba& a, const Rgba& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance && std::abs(a.a - b.a) <= tolerance;
}

DecodedMovie decodeMovie(const std::filesystem::path& path) {
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(context, nullptr) < 0) {
        throw std::runtime_error("cannot open " + path.string());
    }
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> owner(
        context, [](AVFormatContext* c) { avformat_close_input(&c); });
    DecodedMovie movie;
    movie.container = context->iformat->name;
    movie.duration = static_cast<double>(context->duration) / AV_TIME_BASE;
    int videoIndex = -1;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVCodecParameters* p = context->streams[i]->codecpar;
        DecodedStream stream;
        stream.codec = avcodec_get_name(p->codec_id);
        stream.type = av_get_media_type_string(p->codec_type);
        stream.profile = p->profile;
        stream.width = p->width;
        stream.height = p->height;
        stream.channels = p->ch_layout.nb_channels;
        stream.sampleRate = p->sample_rate;
        if (p->codec_type == AVMEDIA_TYPE_VIDEO) {
            const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(p->format));
            stream.pixelFormat = name != nullptr ? name : "";
            stream.bt709Tags = p->color_primaries == AVCOL_PRI_BT709 &&
                               p->color_trc == AVCOL_TRC_BT709 && p->color_space == AVCOL_SPC_BT709;
            if (videoIndex < 0) {
                videoIndex = static_cast<int>(i);
            }
        }
        movie.streams.push_back(stream);
    }
    if (videoIndex < 0) {
        return movie;
    }
    AVStream* stream = context->streams[videoIndex];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> decoderOwner(
        decoder, [](AVCodecContext* c) { avcodec_free_context(&c); });
    avcodec_parameters_to_context(decoder, stream->codecpar);
    if (avcodec_open2(decoder, codec, nullptr) < 0) {
        throw std::runtime_error("no decoder");
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const auto take = [&] {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            DecodedPicture picture;
            picture.seconds =
                static_cast<double>(frame->best_effort_timestamp) * av_q2d(stream->time_base);
            picture.width = frame->width;
            picture.height = frame->height;
            picture.rgba.resize(static_cast<std::size_t>(frame->width) * frame->height * 4);
            SwsContext* scale = sws_getContext(
                frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                frame->width, frame->height, AV_PIX_FMT_RGBA, SWS_POINT, nullptr, nullptr, nullptr);
            const int* coefficients = sws_getCoefficients(SWS_CS_ITU709);
            sws_setColorspaceDetails(scale, coefficients, 0, coefficients, 1, 0, 1 << 16, 1 << 16);
            // swscale wants aligned rows; copy them out afterwards.
            const int stride = (frame->width * 4 + 63) / 64 * 64;
            std::vector<std::uint8_t> padded(static_cast<std::size_t>(stride) * frame->height + 64);
            std::uint8_t* planes[4] = {padded.data(), nullptr, nullptr, nullptr};
            int strides[4] = {stride, 0, 0, 0};
            sws_scale(scale, frame->data, frame->linesize, 0, frame->height, planes, strides);
            sws_freeContext(scale);
            for (int y = 0; y < frame->height; ++y) {
                std::copy_n(padded.data() + static_cast<std::size_t>(y) * stride, frame->width * 4,
                            picture.rgba.data() + static_cast<std::size_t>(y) * frame->width * 4);
            }
            movie.pictures.push_back(std::move(picture));
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(context, packet) >= 0) {
        if (packet->stream_index == videoIndex) {
            avcodec_send_packet(decoder, packet);
            take();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(decoder, nullptr);
    take();
    av_frame_free(&frame);
    av_packet_free(&packet);
    return movie;
}

} // namespace cadrelle::test
