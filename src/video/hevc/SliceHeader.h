#pragma once

#include "video/hevc/NalUnit.h"
#include "video/hevc/ParameterSets.h"

#include <cstdint>
#include <optional>
#include <span>

namespace cadrelle {

// The header of a picture's only slice segment, read to its end so that its
// slice_pic_parameter_set_id can be rewritten. Parsing refuses a second slice
// in a picture and a reference to another parameter set than `pps`.
struct SliceHeader {
    int nalType = 0;
    std::uint32_t sliceType = 0;
    std::uint32_t pocLsb = 0; // 0 for IDR pictures, which carry none
    static constexpr std::size_t absent = SIZE_MAX;
    std::size_t pocLsbAt = absent; // first bit of slice_pic_order_cnt_lsb
    int pocLsbBits = 0;
    std::size_t loopFilterAcrossSlicesAt = absent; // its flag, when present
    UeField ppsId;
    std::size_t end = 0;       // first bit of byte_alignment()
    std::size_t dataStart = 0; // first byte of slice_segment_data()

    static SliceHeader parse(std::span<const std::uint8_t> rbsp, int nalType,
                             const SequenceParameterSet& sps, const PictureParameterSet& pps);
};

// The slice of type `nalType` whose payload `rbsp` has `header`, with
// slice_pic_parameter_set_id `newPpsId`, sent in layer `layerId`; the slice
// data stays as it was.
NalUnit rewriteSlice(int nalType, const NalBytes& rbsp, const SliceHeader& header,
                     std::uint32_t newPpsId, int layerId);

// The slice payload `rbsp` (header `header`, not an IDR picture's) with
// slice_pic_order_cnt_lsb `pocLsb`. When `loopFilterAcrossSlices` is given,
// it also replaces slice_loop_filter_across_slices_enabled_flag, if present:
// with one slice per picture the flag has no effect, so two slices that
// differ only there decode alike.
NalBytes withPocLsb(const NalBytes& rbsp, const SliceHeader& header, std::uint32_t pocLsb,
                    std::optional<bool> loopFilterAcrossSlices = std::nullopt);

} // namespace cadrelle
