#include "HevcTestMedia.h"
#include "support/Messages.h"

#include "video/hevc/BitReader.h"
#include "video/hevc/BitWriter.h"
#include "video/hevc/HevcAlphaJoiner.h"
#include "video/hevc/HevcStreamError.h"
#include "video/hevc/SliceHeader.h"
#include "video/hevc/X265Encoder.h"

#include <gtest/gtest.h>

#include <deque>

namespace cadrelle {
namespace {

TEST(HevcBitstream, EscapingBitsAndStartCodesRoundTrip) {
    const NalBytes rbsp = {0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x03, 0x07, 0x00, 0x00};
    const NalBytes escaped = escapeRbsp(rbsp);
    EXPECT_EQ(escaped, (NalBytes{0x00, 0x00, 0x03, 0x00, 0x00, 0x03, 0x00, 0x01, 0x00, 0x00, 0x03,
                                 0x03, 0x07, 0x00, 0x00, 0x03}));
    EXPECT_EQ(unescapeRbsp(escaped), rbsp);

    BitWriter writer;
    writer.ue(0);
    writer.ue(1);
    writer.ue(254);
    writer.bits(5, 3);
    writer.trailingBits();
    BitReader reader(writer.bytes());
    EXPECT_EQ(reader.ue(), 0u);
    EXPECT_EQ(reader.ue(), 1u);
    EXPECT_EQ(reader.ue(), 254u);
    EXPECT_EQ(reader.bits(3), 5u);
    EXPECT_TRUE(reader.flag());
    EXPECT_EQ(test::messageOf([&] { reader.bits(16); }),
              "Cannot build the transparent HEVC stream: a header ends early.");

    // Three- and four-byte start codes, trailing zero bytes dropped.
    const NalBytes stream = {0, 0, 0, 1, 0x40, 0x01, 0xaa, 0, 0, 1, 0x42, 0x01, 0xbb, 0, 0};
    const auto units = splitAnnexB(stream);
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0].type(), nal::vps);
    EXPECT_EQ(units[1].bytes, (NalBytes{0x42, 0x01, 0xbb}));
    EXPECT_EQ(units[1].relabelled(1).layerId(), 1);
    EXPECT_EQ(units[1].relabelled(1).type(), nal::sps);
    EXPECT_EQ(splitAnnexB(joinAnnexB(units))[1].bytes, units[1].bytes);
}

// A PPS with the given flags set after the ids (x265's defaults otherwise).
NalUnit pps(bool dependentSlices, bool tiles, bool weighted) {
    BitWriter w;
    w.ue(0);
    w.ue(0);
    w.flag(dependentSlices);
    w.flag(false);
    w.bits(0, 3);
    w.flag(false);
    w.flag(false);
    w.ue(0);
    w.ue(0);
    w.ue(0); // se(0)
    w.flag(false);
    w.flag(false);
    w.flag(false);
    w.ue(0);
    w.ue(0);
    w.flag(false);
    w.flag(weighted);
    w.flag(false);
    w.flag(false);
    w.flag(tiles);
    w.flag(false);
    w.flag(false);
    w.flag(false);
    w.flag(false);
    w.flag(false);
    w.ue(0);
    w.flag(false);
    w.flag(false);
    w.trailingBits();
    return NalUnit::make(nal::pps, 0, 0, w.bytes());
}

TEST(HevcBitstream, StreamsOutsideTheSupportedSubsetAreRefused) {
    EXPECT_NO_THROW(PictureParameterSet::parse(pps(false, false, false)));
    EXPECT_EQ(test::messageOf([] { PictureParameterSet::parse(pps(false, true, false)); }),
              "Cannot build the transparent HEVC stream: the stream uses tiles.");
    EXPECT_EQ(test::messageOf([] { PictureParameterSet::parse(pps(true, false, false)); }),
              "Cannot build the transparent HEVC stream: the stream uses dependent slices.");
    EXPECT_EQ(test::messageOf([] { PictureParameterSet::parse(pps(false, false, true)); }),
              "Cannot build the transparent HEVC stream: the stream uses weighted prediction.");

    EXPECT_EQ(test::messageOf([] { X265Encoder({.width = 4, .height = 4}); }),
              "This computer cannot encode MOV \u00B7 Transparent (HEVC) at this size. Choose "
              "another video format.");

    X265Encoder encoder({.width = 64, .height = 64, .keyframeInterval = 4});
    std::deque<EncodedPicture> pictures;
    for (int i = 0; i < 6; ++i) {
        const auto picture = test::framedPicture(64, 64, i, 3);
        encoder.encode(test::colourPlanes(picture, 64), i, pictures);
    }
    while (encoder.flush(pictures)) {
    }
    ASSERT_EQ(pictures.size(), 6u);

    // A sequence parameter set with two temporal sub-layers.
    NalUnit sps;
    for (const auto& unit : encoder.headers()) {
        if (unit.type() == nal::sps) {
            sps = unit;
        }
    }
    NalBytes layered = sps.rbsp();
    layered[0] = static_cast<std::uint8_t>(layered[0] | 0x02);
    EXPECT_EQ(test::messageOf(
                  [&] { SequenceParameterSet::parse(NalUnit::make(nal::sps, 0, 0, layered)); }),
              "Cannot build the transparent HEVC stream: the stream has temporal sub-layers.");

    // A second slice in a picture, and a slice cut short.
    HevcAlphaJoiner joiner(encoder.headers(), encoder.headers());
    const auto& idr = pictures[0].units;
    EXPECT_EQ(test::messageOf([&] {
                  joiner.join({idr[0], idr[0]}, idr);
              }),
              "Cannot build the transparent HEVC stream: a picture has more than one slice.");
    NalUnit cut{NalBytes(idr[0].bytes.begin(), idr[0].bytes.begin() + 3)};
    EXPECT_EQ(test::messageOf([&] { joiner.join(idr, {cut}); }),
              "Cannot build the transparent HEVC stream: a header ends early.");

    // Pictures of different GOP positions are never paired.
    EXPECT_EQ(test::messageOf([&] { joiner.join(pictures[0].units, pictures[1].units); }),
              "Cannot build the transparent HEVC stream: the colour and alpha pictures differ in "
              "type.");
    EXPECT_EQ(test::messageOf([&] { joiner.join(pictures[1].units, pictures[2].units); }),
              "Cannot build the transparent HEVC stream: the colour and alpha pictures differ in "
              "order or type.");
    EXPECT_EQ(joiner.join(pictures[1].units, pictures[1].units).units.size(), 2u);
}

} // namespace
} // namespace cadrelle
