#include "VideoTestSupport.h"

#include "support/Mp4Maker.h"
#include "video/FfmpegHandles.h"
#include "video/RenderVideo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <stdexcept>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace cadrelle::test {

LoadedFrame makeTestFrame(int openingX, int openingY) {
    const int width = 81, height = 113;
    FrameAsset asset;
    asset.id = asset.digest = std::string(64, 'a');
    asset.name = "Test";
    asset.file = "test.png";
    asset.screen = PixelRect{openingX, openingY, 64, 96};
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
                x >= openingX && x < openingX + 64 && y >= openingY && y < openingY + 96;
            const bool island =
                x >= openingX + 28 && x < openingX + 36 && y >= openingY + 3 && y < openingY + 7;
            if (!inOpening || island) {
                set(x, y, island ? 255 : 90, island ? 0 : 90, island ? 255 : 90, 255);
            } else {
                mask[static_cast<std::size_t>(y) * width + x] = 255;
                if (x == openingX) {
                    set(x, y, 90, 90, 90, 128);
                }
            }
        }
    }
    return LoadedFrame(asset, std::move(raster), std::move(mask));
}

namespace {

// How a framed picture of `width` × `height` should look, composited in RGB
// from the frame and the recording's colour at each recording pixel: colour
// premultiplied by alpha, 0…255 per channel. Without transparency the device
// stands on black and alpha is 255 throughout; with subsampled chroma each
// 2 × 2 block of pixels shares the mean of its Cb and Cr (BT.709), as a 4:2:0
// picture carries it.
struct ReferencePicture {
    int width = 0;
    int height = 0;
    std::vector<std::array<double, 4>> pixels;
};

ReferencePicture referenceComposite(const LoadedFrame& frame, int width, int height,
                                    const std::function<Rgba(int x, int y)>& recording,
                                    bool transparent, bool subsampledChroma) {
    const Raster& image = frame.image();
    const PixelRect screen = frame.asset().screen;
    ReferencePicture reference{
        width, height,
        std::vector<std::array<double, 4>>(static_cast<std::size_t>(width) * height, {0, 0, 0, 0})};
    for (int y = 0; y < std::min<std::int64_t>(height, image.height); ++y) {
        for (int x = 0; x < std::min<std::int64_t>(width, image.width); ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
            const std::uint8_t* bezel = image.pixels.data() + i * 4;
            const double shown = frame.mask()[i] / 255.0 * (1 - bezel[3] / 255.0);
            Rgba seen;
            if (shown > 0) {
                seen = recording(x - static_cast<int>(screen.x), y - static_cast<int>(screen.y));
            }
            auto& out = reference.pixels[static_cast<std::size_t>(y) * width + x];
            const int colour[3] = {seen.r, seen.g, seen.b};
            for (int k = 0; k < 3; ++k) {
                out[k] = bezel[k] + shown * colour[k];
            }
            out[3] = bezel[3] + shown * 255;
        }
    }
    if (!transparent) {
        for (auto& pixel : reference.pixels) {
            pixel[3] = 255;
        }
    }
    if (!subsampledChroma) {
        return reference;
    }
    // BT.709 Y'CbCr of each pixel; each 2 × 2 block keeps its own luma and
    // the mean of its chroma.
    for (int top = 0; top < height; top += 2) {
        for (int left = 0; left < width; left += 2) {
            double cb = 0, cr = 0;
            int n = 0;
            for (int y = top; y < std::min(height, top + 2); ++y) {
                for (int x = left; x < std::min(width, left + 2); ++x) {
                    const auto& p = reference.pixels[static_cast<std::size_t>(y) * width + x];
                    const double luma = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
                    cb += (p[2] - luma) / 1.8556;
                    cr += (p[0] - luma) / 1.5748;
                    ++n;
                }
            }
            cb /= n;
            cr /= n;
            for (int y = top; y < std::min(height, top + 2); ++y) {
                for (int x = left; x < std::min(width, left + 2); ++x) {
                    auto& p = reference.pixels[static_cast<std::size_t>(y) * width + x];
                    const double luma = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
                    const double r = luma + 1.5748 * cr;
                    const double b = luma + 1.8556 * cb;
                    const double g = (luma - 0.2126 * r - 0.0722 * b) / 0.7152;
                    p[0] = std::clamp(r, 0.0, 255.0);
                    p[1] = std::clamp(g, 0.0, 255.0);
                    p[2] = std::clamp(b, 0.0, 255.0);
                }
            }
        }
    }
    return reference;
}

// The largest difference in any channel between a decoded picture and the
// reference (both premultiplied); pixels for which `skip` answers true are
// left out.
PictureDifference compareWithReference(const DecodedPicture& picture,
                                       const ReferencePicture& reference,
                                       const std::function<bool(int x, int y)>& skip) {
    PictureDifference difference;
    if (picture.width != reference.width || picture.height != reference.height) {
        difference.worst = 255;
        return difference;
    }
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (skip && skip(x, y)) {
                continue;
            }
            const Rgba seen = picture.at(x, y);
            const double premultiplied[4] = {seen.r * seen.a / 255.0, seen.g * seen.a / 255.0,
                                             seen.b * seen.a / 255.0, double(seen.a)};
            const auto& expected =
                reference.pixels[static_cast<std::size_t>(y) * picture.width + x];
            for (int k = 0; k < 4; ++k) {
                const double d = std::abs(premultiplied[k] - expected[k]);
                if (d > difference.worst) {
                    difference = PictureDifference{d, x, y};
                }
            }
        }
    }
    return difference;
}

} // namespace

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
    const InputContextPtr owner(context);
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
    const CodecContextPtr decoderOwner(avcodec_alloc_context3(codec));
    AVCodecContext* decoder = decoderOwner.get();
    avcodec_parameters_to_context(decoder, stream->codecpar);
    if (avcodec_open2(decoder, codec, nullptr) < 0) {
        throw std::runtime_error("no decoder");
    }
    const PacketPtr packetOwner = makePacket();
    const FramePtr frameOwner = makeFrame();
    AVPacket* packet = packetOwner.get();
    AVFrame* frame = frameOwner.get();
    const auto take = [&] {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            DecodedPicture picture;
            picture.seconds =
                static_cast<double>(frame->best_effort_timestamp) * av_q2d(stream->time_base);
            picture.width = frame->width;
            picture.height = frame->height;
            picture.rgba.resize(static_cast<std::size_t>(frame->width) * frame->height * 4);
            const ScaleContextPtr scale(sws_getContext(frame->width, frame->height,
                                                       static_cast<AVPixelFormat>(frame->format),
                                                       frame->width, frame->height, AV_PIX_FMT_RGBA,
                                                       SWS_POINT, nullptr, nullptr, nullptr));
            if (!scale) {
                throw std::runtime_error("no converter");
            }
            const int* coefficients = sws_getCoefficients(SWS_CS_ITU709);
            sws_setColorspaceDetails(scale.get(), coefficients, 0, coefficients, 1, 0, 1 << 16,
                                     1 << 16);
            // swscale wants aligned rows; copy them out afterwards.
            const int stride = (frame->width * 4 + 63) / 64 * 64;
            std::vector<std::uint8_t> padded(static_cast<std::size_t>(stride) * frame->height + 64);
            std::uint8_t* planes[4] = {padded.data(), nullptr, nullptr, nullptr};
            int strides[4] = {stride, 0, 0, 0};
            if (sws_scale(scale.get(), frame->data, frame->linesize, 0, frame->height, planes,
                          strides) != frame->height) {
                throw std::runtime_error("cannot convert a picture");
            }
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
    return movie;
}

std::vector<OpeningDifference> frameAtEvenAndOddOpenings(const std::filesystem::path& folder,
                                                         VideoExportFormat format) {
    const Mp4Spec spec{.frames = 2};
    const auto recording = folder / "quadrants.mp4";
    if (!std::filesystem::exists(recording)) {
        makeMp4(recording, spec);
    }
    const auto colour = [&spec](int x, int y) {
        const Rgb c = quadrantColour(spec, x, y);
        return Rgba{c.r, c.g, c.b, 255};
    };
    const bool prores = format == VideoExportFormat::proRes4444;
    std::vector<OpeningDifference> differences;
    for (const auto& [x, y] : {std::pair{8, 10}, {9, 10}, {8, 9}, {9, 9}}) {
        const LoadedFrame frame = makeTestFrame(x, y);
        const auto output = folder / (std::to_string(x) + "-" + std::to_string(y) + "-" +
                                      rawValue(format) + "." + extension(format));
        CaptureExportControl control;
        renderVideo(recording, output, frame, control, format, {});
        const auto reference = referenceComposite(frame, 82, 114, colour, prores, !prores);
        const auto nearRecordingEdge = [&](int px, int py) {
            return prores && (std::abs(px - (x + 32)) <= 4 || std::abs(py - (y + 48)) <= 4);
        };
        OpeningDifference worst{x, y, {}};
        const auto movie = decodeMovie(output);
        if (movie.pictures.size() != static_cast<std::size_t>(spec.frames)) {
            worst.difference.worst = 255;
        }
        for (const auto& picture : movie.pictures) {
            const auto difference = compareWithReference(picture, reference, nearRecordingEdge);
            if (difference.worst > worst.difference.worst) {
                worst.difference = difference;
            }
        }
        differences.push_back(worst);
    }
    return differences;
}

} // namespace cadrelle::test
