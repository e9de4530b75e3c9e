#include "video/hevc/AlphaLayerHeaders.h"

#include "video/hevc/BitWriter.h"

namespace cadrelle {

namespace {

constexpr int auxiliaryScalabilityBit = 3;
constexpr std::uint32_t auxIdAlpha = 1;

void writeDpbSizes(BitWriter& w, const SequenceParameterSet& sps) {
    w.ue(sps.maxDecPicBufferingMinus1);
    w.ue(sps.maxNumReorderPics);
    w.ue(sps.maxLatencyIncreasePlus1);
}

} // namespace

NalUnit makeAlphaVps(const SequenceParameterSet& colour, const SequenceParameterSet& alpha) {
    BitWriter w;
    w.bits(0, 4);       // vps_video_parameter_set_id
    w.flag(true);       // vps_base_layer_internal_flag
    w.flag(true);       // vps_base_layer_available_flag
    w.bits(1, 6);       // vps_max_layers_minus1
    w.bits(0, 3);       // vps_max_sub_layers_minus1
    w.flag(true);       // vps_temporal_id_nesting_flag
    w.bits(0xffff, 16); // vps_reserved_0xffff_16bits
    // profile_tier_level(1, 0) of the colour layer. The stream carries no
    // frame-packing SEI, so general_non_packed_constraint_flag holds; the
    // platform's own files set it.
    auto profileTierLevel = colour.profileTierLevel;
    profileTierLevel[5] |= 0x20;
    for (const std::uint8_t byte : profileTierLevel) {
        w.bits(byte, 8);
    }
    w.flag(false); // vps_sub_layer_ordering_info_present_flag
    writeDpbSizes(w, colour);
    w.bits(1, 6);  // vps_max_layer_id
    w.ue(0);       // vps_num_layer_sets_minus1
    w.flag(false); // vps_timing_info_present_flag
    w.flag(true);  // vps_extension_flag
    while (!w.byteAligned()) {
        w.flag(true); // vps_extension_alignment_bit_equal_to_one
    }

    // vps_extension()
    w.bits(0, 8);  // profile_tier_level(0, 0): general_level_idc left unspecified
    w.flag(false); // splitting_flag
    for (int i = 0; i < 16; ++i) {
        w.flag(i == auxiliaryScalabilityBit); // scalability_mask_flag
    }
    w.bits(0, 3);              // dimension_id_len_minus1[0]
    w.flag(true);              // vps_nuh_layer_id_present_flag
    w.bits(1, 6);              // layer_id_in_nuh[1]
    w.bits(auxIdAlpha, 1);     // dimension_id[1][0]
    w.bits(0, 4);              // view_id_len
    w.flag(false);             // direct_dependency_flag[1][0]: coded independently
    w.ue(1);                   // num_add_layer_sets
    w.bits(1, 1);              // highest_layer_idx_plus1[0][1]
    w.flag(false);             // vps_sub_layers_max_minus1_present_flag
    w.flag(false);             // max_tid_ref_present_flag
    w.flag(false);             // default_ref_layers_active_flag
    w.ue(1);                   // vps_num_profile_tier_level_minus1
    w.ue(0);                   // num_add_olss
    w.bits(0, 2);              // default_output_layer_idc
    w.flag(true);              // output_layer_flag[1][0]
    w.bits(1, 1);              // profile_tier_level_idx[1][0]
    w.ue(0);                   // vps_num_rep_formats_minus1
    w.bits(colour.width, 16);  // pic_width_vps_in_luma_samples
    w.bits(colour.height, 16); // pic_height_vps_in_luma_samples
    w.flag(true);              // chroma_and_bit_depth_vps_present_flag
    w.bits(1, 2);              // chroma_format_vps_idc: 4:2:0
    w.bits(0, 4);              // bit_depth_vps_luma_minus8
    w.bits(0, 4);              // bit_depth_vps_chroma_minus8
    w.flag(colour.conformanceWindow);
    if (colour.conformanceWindow) {
        for (const std::uint32_t offset : colour.conformanceOffsets) {
            w.ue(offset);
        }
    }
    w.flag(true);  // max_one_active_ref_layer_flag
    w.flag(true);  // vps_poc_lsb_aligned_flag
    w.flag(true);  // poc_lsb_not_present_flag[1]: IDR alpha slices carry no POC
    w.flag(false); // sub_layer_flag_info_present_flag[1] (dpb_size)
    writeDpbSizes(w, alpha);
    w.ue(0);       // direct_dep_type_len_minus2
    w.flag(false); // direct_dependency_all_layers_flag
    w.ue(0);       // vps_non_vui_extension_length
    w.flag(false); // vps_vui_present_flag
    w.flag(false); // vps_extension2_flag
    w.trailingBits();
    return NalUnit::make(nal::vps, 0, 0, w.bytes());
}

NalUnit makeAlphaChannelInfoSei() {
    BitWriter payload;
    payload.flag(false);    // alpha_channel_cancel_flag
    payload.bits(1, 3);     // alpha_channel_use_idc: colour is premultiplied
    payload.bits(0, 3);     // alpha_channel_bit_depth_minus8
    payload.bits(0, 9);     // alpha_transparent_value
    payload.bits(255, 9);   // alpha_opaque_value
    payload.flag(false);    // alpha_channel_incr_flag
    payload.flag(false);    // alpha_channel_clip_flag
    payload.trailingBits(); // payload_bit_equal_to_one and alignment
    const auto& bytes = payload.bytes();

    constexpr std::uint32_t alphaChannelInfo = 165;
    BitWriter w;
    w.bits(alphaChannelInfo, 8);
    w.bits(bytes.size(), 8);
    for (const std::uint8_t byte : bytes) {
        w.bits(byte, 8);
    }
    w.trailingBits();
    return NalUnit::make(nal::prefixSei, 0, 0, w.bytes());
}

} // namespace cadrelle
