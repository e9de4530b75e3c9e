#include "HevcTestMedia.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include "video/hevc/AlphaModeBox.h"
#include "video/hevc/HevcAlphaEncoder.h"
#include "video/hevc/QuickTimeBox.h"
#include "video/hevc/SliceHeader.h"

#include "core/FileIO.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

constexpr int width = 64;
constexpr int height = 64;
constexpr int frameCount = 300;
constexpr int keyframeInterval = 90;
constexpr int sceneChange = 150;

struct Encoded {
    std::vector<std::uint8_t> hvcC;
    std::vector<NalUnit> parameterSets;
    std::vector<test::MovieSample> samples;
    HevcLayerStreams layers;
};

Encoded encodeRecording() {
    Encoded result;
    HevcAlphaEncoder encoder(
        {.width = width, .height = height, .keyframeInterval = keyframeInterval},
        [&](EncodedAccessUnit&& unit) {
            result.samples.push_back({std::move(unit.data), unit.pts, unit.keyframe});
        },
        &result.layers);
    result.hvcC = encoder.decoderConfiguration();
    result.parameterSets = encoder.parameterSets();
    for (int i = 0; i < frameCount; ++i) {
        const auto picture = test::framedPicture(width, height, i, sceneChange);
        encoder.encode(test::colourPlanes(picture, width), picture.a.data(), width, i);
    }
    encoder.finish();
    return result;
}

std::vector<std::vector<std::uint8_t>> samplePackets(const test::MovieVideo& video) {
    std::vector<std::vector<std::uint8_t>> packets;
    for (const auto& sample : video.samples) {
        packets.push_back(sample.data);
    }
    return packets;
}

TEST(HevcAlphaMovie, JoinedLayersDecodeLikeTheirSingleLayerEncodes) {
    const Encoded encoded = encodeRecording();
    ASSERT_EQ(encoded.samples.size(), std::size_t{frameCount});

    test::TempDir dir;
    for (const bool faststart : {true, false}) {
        SCOPED_TRACE(faststart ? "movie header first" : "movie header last");
        const auto movie = dir / (faststart ? "alpha-fast.mov" : "alpha.mov");
        test::writeHevcMovie(movie, width, height, encoded.hvcC, encoded.samples, faststart);
        const auto plainSize = std::filesystem::file_size(movie);
        CaptureExportControl control;
        addAlphaModeBox(movie, control);
        EXPECT_EQ(std::filesystem::file_size(movie), plainSize + 12);

        // The sample entry is hvc1 with our hvcC, followed by the almo box.
        const test::MovieVideo video = test::readMovieVideo(movie);
        EXPECT_EQ(video.codecTag, fourCC("1cvh")); // little-endian tag "hvc1"
        EXPECT_EQ(video.extradata, encoded.hvcC);
        // The file's top-level boxes, read as the children of one container.
        QuickTimeBox file = QuickTimeBox::parse(fourCC("moov"), readFile(movie, kMaxPngFileBytes));
        QuickTimeBox* entry = file.child("moov")
                                  ->child("trak")
                                  ->child("mdia")
                                  ->child("minf")
                                  ->child("stbl")
                                  ->child("stsd")
                                  ->child("hvc1");
        ASSERT_NE(entry, nullptr);
        ASSERT_NE(entry->child("almo"), nullptr);
        EXPECT_EQ(entry->child("almo")->payload, (std::vector<std::uint8_t>{0, 0, 1, 2}));
        ASSERT_EQ(video.samples.size(), std::size_t{frameCount});

        // Layer 0 of the movie decodes bit-identically to the colour-only encode.
        const auto colourOnly = test::decodeHevc(
            test::annexBPackets(encoded.layers.colourHeaders, encoded.layers.colourPictures));
        const auto layer0 = test::decodeHevc(samplePackets(video), video.extradata);
        ASSERT_EQ(colourOnly.size(), std::size_t{frameCount});
        EXPECT_TRUE(layer0 == colourOnly);

        // Layer 1, relabelled to layer 0, decodes bit-identically to the alpha-only encode.
        const auto alphaOnly = test::decodeHevc(
            test::annexBPackets(encoded.layers.alphaHeaders, encoded.layers.alphaPictures));
        const auto layer1 = test::decodeAlphaLayer(video);
        ASSERT_EQ(alphaOnly.size(), std::size_t{frameCount});
        EXPECT_TRUE(layer1 == alphaOnly);

        // Its luma is exactly the pictures' alpha: 0 outside the device, 255
        // inside, every level in between on the anti-aliased corners.
        int worst = 0;
        for (int i = 0; i < frameCount; ++i) {
            const auto picture = test::framedPicture(width, height, i, sceneChange);
            for (std::size_t p = 0; p < picture.a.size(); ++p) {
                worst = std::max(worst, std::abs(int(layer1[std::size_t(i)].y[p]) - picture.a[p]));
            }
        }
        EXPECT_EQ(worst, 0);
    }
}

TEST(HevcAlphaMovie, AccessUnitsPairEqualPicturesAndTheHvcCHoldsBothLayers) {
    const Encoded encoded = encodeRecording();

    // hvcC: colour profile and level, four-byte lengths, both layers' parameter sets and the SEI.
    const test::HvcC hvcC = test::parseHvcC(encoded.hvcC);
    EXPECT_EQ(hvcC.lengthSizeMinusOne, 3);
    const auto colourSps = SequenceParameterSet::parse(hvcC.arrays.at(nal::sps).at(0));
    EXPECT_EQ(hvcC.profileTierLevel, std::vector<std::uint8_t>(colourSps.profileTierLevel.begin(),
                                                               colourSps.profileTierLevel.end()));
    ASSERT_EQ(hvcC.arrays.at(nal::vps).size(), 1u);
    ASSERT_EQ(hvcC.arrays.at(nal::sps).size(), 2u);
    ASSERT_EQ(hvcC.arrays.at(nal::pps).size(), 2u);
    ASSERT_EQ(hvcC.arrays.at(nal::prefixSei).size(), 1u);
    EXPECT_EQ(hvcC.arrays.at(nal::prefixSei)[0].bytes,
              (NalBytes{0x4e, 0x01, 0xa5, 0x04, 0x10, 0x00, 0x7f, 0x90, 0x80}));
    std::vector<SequenceParameterSet> sps;
    std::vector<PictureParameterSet> pps;
    for (int layer = 0; layer < 2; ++layer) {
        const NalUnit& spsUnit = hvcC.arrays.at(nal::sps)[std::size_t(layer)];
        const NalUnit& ppsUnit = hvcC.arrays.at(nal::pps)[std::size_t(layer)];
        EXPECT_EQ(spsUnit.layerId(), layer);
        EXPECT_EQ(ppsUnit.layerId(), layer);
        sps.push_back(SequenceParameterSet::parse(spsUnit));
        pps.push_back(PictureParameterSet::parse(ppsUnit));
        EXPECT_EQ(sps.back().id.value, std::uint32_t(layer));
        EXPECT_EQ(pps.back().id.value, std::uint32_t(layer));
        EXPECT_EQ(pps.back().spsId.value, std::uint32_t(layer));
    }
    // Both layers declare the same profile and level.
    EXPECT_EQ(sps[1].profileTierLevel, sps[0].profileTierLevel);
    EXPECT_EQ(encoded.parameterSets.size(), 6u);

    // Every access unit: [SEI on key pictures], the colour slice, the alpha slice,
    // with equal NAL types and picture order counts.
    int idrCount = 0;
    std::uint32_t previousPoc = 0;
    for (std::size_t i = 0; i < encoded.samples.size(); ++i) {
        const auto units = test::splitLengthPrefixed(encoded.samples[i].data);
        const bool key = encoded.samples[i].keyframe;
        ASSERT_EQ(units.size(), key ? 3u : 2u) << "access unit " << i;
        if (key) {
            EXPECT_EQ(units[0].type(), nal::prefixSei);
        }
        const NalUnit& colour = units[key ? 1 : 0];
        const NalUnit& alpha = units[key ? 2 : 1];
        EXPECT_EQ(colour.layerId(), 0);
        EXPECT_EQ(alpha.layerId(), 1);
        EXPECT_EQ(colour.type(), alpha.type());
        EXPECT_EQ(colour.isIrap(), key);
        const auto c = SliceHeader::parse(colour.rbsp(), colour.type(), sps[0], pps[0]);
        const auto a = SliceHeader::parse(alpha.rbsp(), alpha.type(), sps[1], pps[1]);
        EXPECT_EQ(c.pocLsb, a.pocLsb);
        EXPECT_EQ(a.ppsId.value, 1u);
        if (key) {
            ++idrCount;
            EXPECT_EQ(i % keyframeInterval, 0u) << "IDR at " << i;
        } else {
            EXPECT_EQ(c.pocLsb, (previousPoc + 1) % (1u << sps[0].log2MaxPocLsb));
        }
        previousPoc = c.pocLsb;
        EXPECT_EQ(encoded.samples[i].pts, std::int64_t(i));
    }
    EXPECT_EQ(idrCount, (frameCount + keyframeInterval - 1) / keyframeInterval);
}

TEST(HevcAlphaMovie, APictureWhoseAlphaDiffersIsRefused) {
    HevcAlphaEncoder encoder({.width = width, .height = height}, [](EncodedAccessUnit&&) {});
    auto picture = test::framedPicture(width, height, 0, sceneChange);
    const PlanarPicture colour = test::colourPlanes(picture, width);
    encoder.encode(colour, picture.a.data(), width, 0);
    encoder.encode(colour, picture.a.data(), width, 1);
    picture.a[width * height / 2] ^= 1;
    EXPECT_EQ(test::messageOf([&] { encoder.encode(colour, picture.a.data(), width, 2); }),
              "Cannot build the transparent HEVC stream: the alpha changes between pictures.");
}

} // namespace
} // namespace cadrelle
