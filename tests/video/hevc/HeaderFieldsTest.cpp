#include "HeaderFieldDump.h"

#include "video/hevc/AlphaLayerHeaders.h"
#include "video/hevc/X265Encoder.h"

#include <gtest/gtest.h>

#include <set>

namespace cadrelle {
namespace {

// A VPS and an alpha_channel_info SEI captured from a 64 × 64 HEVC-with-alpha
// movie written by the platform's own encoder (escaped NAL unit bytes).
const NalBytes capturedVps = {0x40, 0x01, 0x0c, 0x11, 0xff, 0xff, 0x01, 0x60, 0x00, 0x00, 0x03,
                              0x00, 0xb0, 0x00, 0x00, 0x03, 0x00, 0x00, 0x03, 0x00, 0x1e, 0x15,
                              0xc1, 0xbf, 0x00, 0x08, 0x00, 0x08, 0x30, 0x28, 0x53, 0x80, 0x50,
                              0x00, 0x20, 0x50, 0x0c, 0x18, 0xfc, 0x57, 0xa4};
const NalBytes capturedSei = {0x4e, 0x01, 0xa5, 0x04, 0x10, 0x00, 0x7f, 0x90, 0x80};

SequenceParameterSet encoderSps(int width, int height) {
    X265Encoder encoder({.width = width, .height = height});
    for (const auto& unit : encoder.headers()) {
        if (unit.type() == nal::sps) {
            return SequenceParameterSet::parse(unit);
        }
    }
    throw std::runtime_error("no SPS");
}

std::uint64_t field(const test::FieldDump& dump, const std::string& name) {
    for (const auto& [key, value] : dump) {
        if (key == name) {
            return value;
        }
    }
    throw std::runtime_error("no field " + name);
}

TEST(HeaderFields, WrittenVpsMatchesTheCapturedReference) {
    const auto reference = test::dumpVps(NalUnit{capturedVps});
    // The reference is an independent auxiliary alpha layer in an additional layer set.
    EXPECT_EQ(field(reference, "scalability_mask_flag[3]"), 1u);
    EXPECT_EQ(field(reference, "dimension_id[1]"), 1u);
    EXPECT_EQ(field(reference, "num_add_layer_sets"), 1u);
    EXPECT_EQ(field(reference, "poc_lsb_not_present_flag[1]"), 1u);
    EXPECT_EQ(field(reference, "pic_width_vps_in_luma_samples"), 160u);
    EXPECT_EQ(field(reference, "conf_win_vps_right_offset"), 48u);

    const auto sps = encoderSps(64, 64);
    const auto written = test::dumpVps(makeAlphaVps(sps, sps));
    // Fields that follow our own pictures: size, level, conformance window, and
    // the picture buffering of an encode without B pictures.
    const std::set<std::string> ours = {"pic_width_vps_in_luma_samples",
                                        "pic_height_vps_in_luma_samples",
                                        "general_level_idc",
                                        "conformance_window_vps_flag",
                                        "conf_win_vps_left_offset",
                                        "conf_win_vps_right_offset",
                                        "conf_win_vps_top_offset",
                                        "conf_win_vps_bottom_offset",
                                        "vps_max_dec_pic_buffering_minus1",
                                        "vps_max_num_reorder_pics",
                                        "vps_max_latency_increase_plus1",
                                        "max_vps_dec_pic_buffering_minus1",
                                        "max_vps_num_reorder_pics",
                                        "max_vps_latency_increase_plus1"};
    auto withoutOurs = [&](const test::FieldDump& dump) {
        test::FieldDump kept;
        for (const auto& entry : dump) {
            if (!ours.count(entry.first) && entry.first.rfind("conf_win", 0) != 0 &&
                entry.first.find("alignment") == std::string::npos) {
                kept.push_back(entry);
            }
        }
        return kept;
    };
    EXPECT_EQ(withoutOurs(written), withoutOurs(reference));
    EXPECT_EQ(field(written, "pic_width_vps_in_luma_samples"), 64u);
    EXPECT_EQ(field(written, "general_level_idc"), sps.levelIdc());
    EXPECT_EQ(field(written, "vps_max_dec_pic_buffering_minus1"), sps.maxDecPicBufferingMinus1);
    EXPECT_EQ(field(written, "max_vps_num_reorder_pics"), 0u);

    // A size that is not a multiple of the coding block carries the encoder's
    // conformance window.
    const auto padded = encoderSps(1180, 2556);
    const auto paddedDump = test::dumpVps(makeAlphaVps(padded, padded));
    EXPECT_EQ(field(paddedDump, "pic_height_vps_in_luma_samples"), padded.height);
    EXPECT_EQ(field(paddedDump, "conformance_window_vps_flag"), 1u);
    EXPECT_EQ(field(paddedDump, "conf_win_vps_bottom_offset"), padded.conformanceOffsets[3]);
}

// Byte for byte: colour premultiplied, transparent at 0 and opaque at 255.
TEST(HeaderFields, AlphaChannelInfoSeiIsTheCapturedOne) {
    EXPECT_EQ(makeAlphaChannelInfoSei().bytes, capturedSei);
}

} // namespace
} // namespace cadrelle
