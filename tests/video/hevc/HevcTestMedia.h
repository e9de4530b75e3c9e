#pragma once

#include "video/hevc/NalUnit.h"
#include "video/hevc/X265Encoder.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

namespace cadrelle::test {

// A synthetic framed picture in 4:2:0 with alpha: transparent outside a
// rounded device with anti-aliased corners, an opaque grey bezel, and moving
// content in the opening that changes completely from `sceneChange` on.
// Colour premultiplied by alpha (BT.709, video range).
struct FramedPicture {
    std::vector<std::uint8_t> y, u, v, a;
};
FramedPicture framedPicture(int width, int height, int index, int sceneChange);
// Its colour planes, as an encoder takes them.
PlanarPicture colourPlanes(const FramedPicture& picture, int width);

// A decoded 8-bit 4:2:0 picture, planes without padding.
struct DecodedYuv {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> y, u, v;
    bool operator==(const DecodedYuv&) const = default;
};

// Decodes packets (Annex B access units, or length-prefixed ones with an
// hvcC record in `extradata`) with FFmpeg's HEVC decoder.
std::vector<DecodedYuv> decodeHevc(const std::vector<std::vector<std::uint8_t>>& packets,
                                   const std::vector<std::uint8_t>& extradata = {});

// One video sample of a movie.
struct MovieSample {
    std::vector<std::uint8_t> data;
    std::int64_t pts = 0;
    bool keyframe = false;
};

// Writes a video-only QuickTime movie with an `hvc1` sample entry holding
// `hvcC`; `faststart` puts the movie header before the media data.
void writeHevcMovie(const std::filesystem::path& path, int width, int height,
                    const std::vector<std::uint8_t>& hvcC, const std::vector<MovieSample>& samples,
                    bool faststart);

// The video track of a movie: its sample entry's tag, hvcC and samples.
struct MovieVideo {
    std::uint32_t codecTag = 0;
    std::vector<std::uint8_t> extradata;
    std::vector<MovieSample> samples;
    int width = 0;
    int height = 0;
};
MovieVideo readMovieVideo(const std::filesystem::path& path);

// Splits a sample into its NAL units (four-byte lengths).
std::vector<NalUnit> splitLengthPrefixed(const std::vector<std::uint8_t>& sample);

// An hvcC record: its profile, tier and level bytes, the size of its NAL
// unit lengths, and its parameter sets and SEI by NAL unit type.
struct HvcC {
    std::vector<std::uint8_t> profileTierLevel;
    int lengthSizeMinusOne = 0;
    std::map<int, std::vector<NalUnit>> arrays;
};
HvcC parseHvcC(const std::vector<std::uint8_t>& record);

// Annex B packets of one single-layer stream: the headers go with the first picture.
std::vector<std::vector<std::uint8_t>>
annexBPackets(const std::vector<NalUnit>& headers,
              const std::vector<std::vector<NalUnit>>& pictures);

// The alpha layer of a movie's video decoded on its own: layer 1 of every
// sample, relabelled to layer 0, after the VPS and the layer-1 parameter sets.
std::vector<DecodedYuv> decodeAlphaLayer(const MovieVideo& video);

} // namespace cadrelle::test
