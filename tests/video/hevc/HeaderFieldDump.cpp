#include "HeaderFieldDump.h"

#include "video/hevc/BitReader.h"

#include <stdexcept>

namespace cadrelle::test {

namespace {

class Dumper {
public:
    explicit Dumper(const NalUnit& unit) : rbsp_(unit.rbsp()), reader_(rbsp_) {
        out.push_back({"nal_unit_type", static_cast<std::uint64_t>(unit.type())});
        out.push_back({"nuh_layer_id", static_cast<std::uint64_t>(unit.layerId())});
    }
    std::uint64_t u(const std::string& name, int bits) {
        const auto value = reader_.bits(bits);
        out.push_back({name, value});
        return value;
    }
    std::uint64_t ue(const std::string& name) {
        const auto value = reader_.ue();
        out.push_back({name, value});
        return value;
    }
    void ptl(const std::string& prefix, bool profilePresent) {
        if (profilePresent) {
            u(prefix + "profile_space", 2);
            u(prefix + "tier_flag", 1);
            u(prefix + "profile_idc", 5);
            u(prefix + "profile_compatibility_flags", 32);
            u(prefix + "progressive_source_flag", 1);
            u(prefix + "interlaced_source_flag", 1);
            u(prefix + "non_packed_constraint_flag", 1);
            u(prefix + "frame_only_constraint_flag", 1);
            u(prefix + "reserved_zero_43bits", 43);
            u(prefix + "inbld_flag", 1);
        }
        u(prefix + "level_idc", 8);
    }
    void trailing() {
        u("rbsp_stop_one_bit", 1);
        while (reader_.position() % 8) {
            u("rbsp_alignment_zero_bit", 1);
        }
        if (reader_.position() != reader_.size()) {
            throw std::runtime_error("bytes after the trailing bits");
        }
    }
    std::size_t position() const { return reader_.position(); }

    FieldDump out;

private:
    NalBytes rbsp_;
    BitReader reader_;
};

} // namespace

FieldDump dumpVps(const NalUnit& vps) {
    Dumper d(vps);
    d.u("vps_video_parameter_set_id", 4);
    const bool baseInternal = d.u("vps_base_layer_internal_flag", 1);
    d.u("vps_base_layer_available_flag", 1);
    const int maxLayers = static_cast<int>(d.u("vps_max_layers_minus1", 6));
    if (d.u("vps_max_sub_layers_minus1", 3) != 0 || maxLayers != 1 || !baseInternal) {
        throw std::runtime_error("not a two-layer VPS without sub-layers");
    }
    d.u("vps_temporal_id_nesting_flag", 1);
    d.u("vps_reserved_0xffff_16bits", 16);
    d.ptl("general_", true);
    d.u("vps_sub_layer_ordering_info_present_flag", 1);
    d.ue("vps_max_dec_pic_buffering_minus1");
    d.ue("vps_max_num_reorder_pics");
    d.ue("vps_max_latency_increase_plus1");
    const auto maxLayerId = d.u("vps_max_layer_id", 6);
    const auto layerSets = d.ue("vps_num_layer_sets_minus1");
    for (std::uint64_t i = 1; i <= layerSets; ++i) {
        for (std::uint64_t j = 0; j <= maxLayerId; ++j) {
            d.u("layer_id_included_flag", 1);
        }
    }
    if (d.u("vps_timing_info_present_flag", 1)) {
        throw std::runtime_error("timing info not expected");
    }
    if (!d.u("vps_extension_flag", 1)) {
        throw std::runtime_error("no vps_extension");
    }
    while (d.position() % 8) {
        d.u("vps_extension_alignment_bit_equal_to_one", 1);
    }
    d.ptl("ext_ptl0_", false);
    const bool splitting = d.u("splitting_flag", 1);
    int scalabilityTypes = 0;
    for (int i = 0; i < 16; ++i) {
        scalabilityTypes +=
            static_cast<int>(d.u("scalability_mask_flag[" + std::to_string(i) + "]", 1));
    }
    std::vector<int> dimensionBits;
    for (int j = 0; j < scalabilityTypes - (splitting ? 1 : 0); ++j) {
        dimensionBits.push_back(static_cast<int>(d.u("dimension_id_len_minus1", 3)) + 1);
    }
    const bool layerIdPresent = d.u("vps_nuh_layer_id_present_flag", 1);
    if (layerIdPresent) {
        d.u("layer_id_in_nuh[1]", 6);
    }
    if (!splitting) {
        for (int j = 0; j < scalabilityTypes; ++j) {
            d.u("dimension_id[1]", dimensionBits[static_cast<std::size_t>(j)]);
        }
    }
    const auto viewIdBits = d.u("view_id_len", 4);
    if (viewIdBits) {
        d.u("view_id_val", static_cast<int>(viewIdBits));
    }
    const bool dependent = d.u("direct_dependency_flag[1][0]", 1);
    std::uint64_t addLayerSets = 0;
    if (!dependent) {
        addLayerSets = d.ue("num_add_layer_sets");
        for (std::uint64_t i = 0; i < addLayerSets; ++i) {
            d.u("highest_layer_idx_plus1", 1);
        }
    }
    if (d.u("vps_sub_layers_max_minus1_present_flag", 1)) {
        d.u("sub_layers_vps_max_minus1[0]", 3);
        d.u("sub_layers_vps_max_minus1[1]", 3);
    }
    if (d.u("max_tid_ref_present_flag", 1) && dependent) {
        d.u("max_tid_il_ref_pics_plus1", 3);
    }
    d.u("default_ref_layers_active_flag", 1);
    const auto ptlCount = d.ue("vps_num_profile_tier_level_minus1");
    for (std::uint64_t i = 2; i <= ptlCount; ++i) {
        d.ptl("ptl_", d.u("vps_profile_present_flag", 1));
    }
    const std::uint64_t totalLayerSets = layerSets + 1 + addLayerSets;
    std::uint64_t outputLayerSets = totalLayerSets;
    std::uint64_t defaultOutput = 0;
    if (totalLayerSets > 1) {
        outputLayerSets += d.ue("num_add_olss");
        defaultOutput = d.u("default_output_layer_idc", 2);
    }
    int ptlBits = 0;
    while ((std::uint64_t{1} << ptlBits) < ptlCount + 1) {
        ++ptlBits;
    }
    for (std::uint64_t i = 1; i < outputLayerSets; ++i) {
        // Each further set holds one layer here (layer 1 alone).
        if (i > layerSets || defaultOutput == 2) {
            d.u("output_layer_flag", 1);
        }
        if (ptlCount > 0) {
            d.u("profile_tier_level_idx", std::max(ptlBits, 1));
        }
    }
    const auto repFormats = d.ue("vps_num_rep_formats_minus1");
    for (std::uint64_t i = 0; i <= repFormats; ++i) {
        d.u("pic_width_vps_in_luma_samples", 16);
        d.u("pic_height_vps_in_luma_samples", 16);
        if (d.u("chroma_and_bit_depth_vps_present_flag", 1)) {
            if (d.u("chroma_format_vps_idc", 2) == 3) {
                d.u("separate_colour_plane_vps_flag", 1);
            }
            d.u("bit_depth_vps_luma_minus8", 4);
            d.u("bit_depth_vps_chroma_minus8", 4);
        }
        if (d.u("conformance_window_vps_flag", 1)) {
            d.ue("conf_win_vps_left_offset");
            d.ue("conf_win_vps_right_offset");
            d.ue("conf_win_vps_top_offset");
            d.ue("conf_win_vps_bottom_offset");
        }
    }
    if (repFormats > 0 && d.u("rep_format_idx_present_flag", 1)) {
        throw std::runtime_error("rep_format_idx not expected");
    }
    d.u("max_one_active_ref_layer_flag", 1);
    d.u("vps_poc_lsb_aligned_flag", 1);
    if (!dependent) {
        d.u("poc_lsb_not_present_flag[1]", 1);
    }
    for (std::uint64_t i = 1; i < outputLayerSets; ++i) {
        d.u("sub_layer_flag_info_present_flag", 1);
        d.ue("max_vps_dec_pic_buffering_minus1");
        d.ue("max_vps_num_reorder_pics");
        d.ue("max_vps_latency_increase_plus1");
    }
    d.ue("direct_dep_type_len_minus2");
    if (d.u("direct_dependency_all_layers_flag", 1)) {
        throw std::runtime_error("dependency types not expected");
    }
    const auto nonVui = d.ue("vps_non_vui_extension_length");
    for (std::uint64_t i = 0; i < nonVui; ++i) {
        d.u("vps_non_vui_extension_data_byte", 8);
    }
    if (d.u("vps_vui_present_flag", 1)) {
        throw std::runtime_error("VPS VUI not expected");
    }
    d.u("vps_extension2_flag", 1);
    d.trailing();
    return d.out;
}

} // namespace cadrelle::test
