#include "HevcTestMedia.h"

#include "video/FfmpegHandles.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace cadrelle::test {

namespace {

void check(int result, const char* what) {
    if (result < 0) {
        throw std::runtime_error(std::string(what) + " failed: " + std::to_string(result));
    }
}

// Coverage of pixel (x, y) by a rounded rectangle, from 4 × 4 sub-samples.
int coverage(int x, int y, int left, int top, int right, int bottom, int radius) {
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
            const double px = x + (sx + 0.5) / 4;
            const double py = y + (sy + 0.5) / 4;
            if (px < left || px >= right || py < top || py >= bottom) {
                continue;
            }
            const double cx = std::clamp(px, double(left + radius), double(right - radius));
            const double cy = std::clamp(py, double(top + radius), double(bottom - radius));
            if (std::hypot(px - cx, py - cy) <= radius) {
                ++inside;
            }
        }
    }
    return (inside * 255 + 8) / 16;
}

} // namespace

FramedPicture framedPicture(int width, int height, int index, int sceneChange) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    const int left = 3, top = 2, right = width - 3, bottom = height - 2, bezel = 5;
    const bool secondScene = index >= sceneChange;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            const int alpha = coverage(x, y, left, top, right, bottom, 9);
            int r = 40, g = 40, b = 48; // bezel
            const bool opening =
                x >= left + bezel && x < right - bezel && y >= top + bezel && y < bottom - bezel;
            if (opening && !secondScene) {
                r = (x * 4 + index * 3) % 256;
                g = (y * 4 + index) % 256;
                b = ((x + y) * 2 + index * 5) % 256;
            } else if (opening) {
                const bool check = ((x / 6) + (y / 6) + index / 10) % 2 == 0;
                r = check ? 230 : 20;
                g = (x * y + index * 7) % 256;
                b = check ? 30 : 210;
            }
            p[0] = static_cast<std::uint8_t>(r * alpha / 255);
            p[1] = static_cast<std::uint8_t>(g * alpha / 255);
            p[2] = static_cast<std::uint8_t>(b * alpha / 255);
            p[3] = static_cast<std::uint8_t>(alpha);
        }
    }
    FramedPicture picture;
    auto at = [&](int x, int y, int c) {
        return double(rgba[(static_cast<std::size_t>(y) * width + x) * 4 + std::size_t(c)]);
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double luma = 0.2126 * at(x, y, 0) + 0.7152 * at(x, y, 1) + 0.0722 * at(x, y, 2);
            picture.y.push_back(static_cast<std::uint8_t>(std::lround(16 + luma * 219 / 255)));
            picture.a.push_back(static_cast<std::uint8_t>(at(x, y, 3)));
        }
    }
    for (int y = 0; y < height; y += 2) {
        for (int x = 0; x < width; x += 2) {
            double r = 0, g = 0, b = 0;
            for (int k = 0; k < 4; ++k) {
                r += at(x + k % 2, y + k / 2, 0) / 4;
                g += at(x + k % 2, y + k / 2, 1) / 4;
                b += at(x + k % 2, y + k / 2, 2) / 4;
            }
            const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
            picture.u.push_back(
                static_cast<std::uint8_t>(std::lround(128 + (b - luma) / 1.8556 * 224 / 255)));
            picture.v.push_back(
                static_cast<std::uint8_t>(std::lround(128 + (r - luma) / 1.5748 * 224 / 255)));
        }
    }
    return picture;
}

PlanarPicture colourPlanes(const FramedPicture& picture, int width) {
    PlanarPicture colour;
    colour.planes[0] = picture.y.data();
    colour.planes[1] = picture.u.data();
    colour.planes[2] = picture.v.data();
    colour.strides[0] = width;
    colour.strides[1] = colour.strides[2] = width / 2;
    return colour;
}

std::vector<DecodedYuv> decodeHevc(const std::vector<std::vector<std::uint8_t>>& packets,
                                   const std::vector<std::uint8_t>& extradata) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_HEVC);
    const CodecContextPtr context(avcodec_alloc_context3(codec));
    context->thread_count = 1;
    if (!extradata.empty()) {
        context->extradata =
            static_cast<std::uint8_t*>(av_mallocz(extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        std::copy(extradata.begin(), extradata.end(), context->extradata);
        context->extradata_size = static_cast<int>(extradata.size());
    }
    check(avcodec_open2(context.get(), codec, nullptr), "avcodec_open2");
    const FramePtr frame = makeFrame();
    const PacketPtr packet = makePacket();
    std::vector<DecodedYuv> pictures;
    auto receive = [&] {
        while (avcodec_receive_frame(context.get(), frame.get()) == 0) {
            DecodedYuv picture{frame->width, frame->height, {}, {}, {}};
            for (int plane = 0; plane < 3; ++plane) {
                const int w = plane ? frame->width / 2 : frame->width;
                const int h = plane ? frame->height / 2 : frame->height;
                auto& out = plane == 0 ? picture.y : plane == 1 ? picture.u : picture.v;
                for (int row = 0; row < h; ++row) {
                    const std::uint8_t* line = frame->data[plane] + row * frame->linesize[plane];
                    out.insert(out.end(), line, line + w);
                }
            }
            pictures.push_back(std::move(picture));
        }
    };
    for (std::size_t i = 0; i < packets.size(); ++i) {
        check(av_new_packet(packet.get(), static_cast<int>(packets[i].size())), "av_new_packet");
        std::copy(packets[i].begin(), packets[i].end(), packet->data);
        packet->pts = static_cast<std::int64_t>(i);
        check(avcodec_send_packet(context.get(), packet.get()), "avcodec_send_packet");
        av_packet_unref(packet.get());
        receive();
    }
    check(avcodec_send_packet(context.get(), nullptr), "flush");
    receive();
    return pictures;
}

void writeHevcMovie(const std::filesystem::path& path, int width, int height,
                    const std::vector<std::uint8_t>& hvcC, const std::vector<MovieSample>& samples,
                    bool faststart) {
    AVFormatContext* raw = nullptr;
    check(avformat_alloc_output_context2(&raw, nullptr, "mov", path.c_str()), "alloc output");
    const OutputContextPtr output(raw);
    AVStream* stream = avformat_new_stream(output.get(), nullptr);
    stream->time_base = {1, 600};
    AVCodecParameters* par = stream->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_HEVC;
    par->codec_tag = MKTAG('h', 'v', 'c', '1');
    par->width = width;
    par->height = height;
    par->extradata =
        static_cast<std::uint8_t*>(av_mallocz(hvcC.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    std::copy(hvcC.begin(), hvcC.end(), par->extradata);
    par->extradata_size = static_cast<int>(hvcC.size());
    check(avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE), "avio_open");
    AVDictionary* options = nullptr;
    if (faststart) {
        av_dict_set(&options, "movflags", "faststart", 0);
    }
    check(avformat_write_header(output.get(), &options), "write header");
    av_dict_free(&options);
    const PacketPtr packet = makePacket();
    for (const auto& sample : samples) {
        check(av_new_packet(packet.get(), static_cast<int>(sample.data.size())), "av_new_packet");
        std::copy(sample.data.begin(), sample.data.end(), packet->data);
        packet->pts = packet->dts = av_rescale_q(sample.pts, {1, 30}, stream->time_base);
        packet->duration = 20;
        packet->flags = sample.keyframe ? AV_PKT_FLAG_KEY : 0;
        check(av_interleaved_write_frame(output.get(), packet.get()), "write frame");
    }
    check(av_write_trailer(output.get()), "write trailer");
}

MovieVideo readMovieVideo(const std::filesystem::path& path) {
    AVFormatContext* raw = nullptr;
    check(avformat_open_input(&raw, path.c_str(), nullptr, nullptr), "open input");
    const InputContextPtr input(raw);
    check(avformat_find_stream_info(input.get(), nullptr), "stream info");
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    check(index, "find video");
    const AVCodecParameters* par = input->streams[index]->codecpar;
    MovieVideo video;
    video.codecTag = par->codec_tag;
    video.width = par->width;
    video.height = par->height;
    video.extradata.assign(par->extradata, par->extradata + par->extradata_size);
    const PacketPtr packet = makePacket();
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == index) {
            video.samples.push_back(
                {std::vector<std::uint8_t>(packet->data, packet->data + packet->size), packet->pts,
                 (packet->flags & AV_PKT_FLAG_KEY) != 0});
        }
        av_packet_unref(packet.get());
    }
    return video;
}

std::vector<NalUnit> splitLengthPrefixed(const std::vector<std::uint8_t>& sample) {
    std::vector<NalUnit> units;
    std::size_t at = 0;
    while (at + 4 <= sample.size()) {
        const std::size_t size = (std::size_t{sample[at]} << 24) |
                                 (std::size_t{sample[at + 1]} << 16) |
                                 (std::size_t{sample[at + 2]} << 8) | sample[at + 3];
        at += 4;
        if (size > sample.size() - at) {
            throw std::runtime_error("NAL unit length runs past the sample");
        }
        units.push_back({NalBytes(sample.begin() + static_cast<long>(at),
                                  sample.begin() + static_cast<long>(at + size))});
        at += size;
    }
    if (at != sample.size()) {
        throw std::runtime_error("trailing bytes in a sample");
    }
    return units;
}

HvcC parseHvcC(const std::vector<std::uint8_t>& record) {
    HvcC parsed;
    EXPECT_EQ(record.at(0), 1); // configurationVersion
    parsed.profileTierLevel.assign(record.begin() + 1, record.begin() + 13);
    parsed.lengthSizeMinusOne = record.at(21) & 3;
    std::size_t at = 23;
    for (int array = 0; array < record.at(22); ++array) {
        const int type = record.at(at) & 0x3f;
        const int count = (record.at(at + 1) << 8) | record.at(at + 2);
        at += 3;
        for (int i = 0; i < count; ++i) {
            const std::size_t size = (std::size_t{record.at(at)} << 8) | record.at(at + 1);
            at += 2;
            parsed.arrays[type].push_back(
                {NalBytes(record.begin() + static_cast<long>(at),
                          record.begin() + static_cast<long>(at + size))});
            at += size;
        }
    }
    EXPECT_EQ(at, record.size());
    return parsed;
}

std::vector<std::vector<std::uint8_t>>
annexBPackets(const std::vector<NalUnit>& headers,
              const std::vector<std::vector<NalUnit>>& pictures) {
    std::vector<std::vector<std::uint8_t>> packets;
    for (const auto& picture : pictures) {
        std::vector<NalUnit> units = packets.empty() ? headers : std::vector<NalUnit>{};
        units.insert(units.end(), picture.begin(), picture.end());
        packets.push_back(joinAnnexB(units));
    }
    return packets;
}

std::vector<DecodedYuv> decodeAlphaLayer(const MovieVideo& video) {
    const HvcC hvcC = parseHvcC(video.extradata);
    std::vector<NalUnit> headers = {hvcC.arrays.at(nal::vps).at(0)};
    for (const int type : {nal::sps, nal::pps}) {
        for (const auto& unit : hvcC.arrays.at(type)) {
            if (unit.layerId() == 1) {
                headers.push_back(unit.relabelled(0));
            }
        }
    }
    std::vector<std::vector<NalUnit>> pictures;
    for (const auto& sample : video.samples) {
        std::vector<NalUnit> units;
        for (const auto& unit : splitLengthPrefixed(sample.data)) {
            if (unit.layerId() == 1) {
                units.push_back(unit.relabelled(0));
            }
        }
        pictures.push_back(units);
    }
    return decodeHevc(annexBPackets(headers, pictures));
}

} // namespace cadrelle::test
