#pragma once

#include "video/hevc/NalUnit.h"
#include "video/hevc/ParameterSets.h"

#include <cstdint>
#include <span>

namespace cadrelle {

// The header of a picture's only slice segment, read to its end so that its
// slice_pic_parameter_set_id can be rewritten. Parsing refuses a second slice
// in a picture and a reference to another parameter set than `pps`.
struct SliceHeader {
    int nalType = 0;
    std::uint32_t sliceType = 0;
    std::uint32_t pocLsb = 0; // 0 for IDR pictures, which carry none
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

} // namespace cadrelle
