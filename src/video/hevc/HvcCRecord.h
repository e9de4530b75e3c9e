#pragma once

#include "video/hevc/NalUnit.h"
#include "video/hevc/ParameterSets.h"

#include <vector>

namespace cadrelle {

// The HEVCDecoderConfigurationRecord of an `hvc1` sample entry (the `hvcC`
// box's payload): profile, level and format of the colour layer, four-byte
// NAL unit lengths, and one array per NAL unit type of `units` (both layers'
// VPS, SPS and PPS, complete; the SEI, also repeated in the stream).
std::vector<std::uint8_t> makeHvcCRecord(const SequenceParameterSet& colourSps,
                                         const std::vector<NalUnit>& units);

} // namespace cadrelle
