#pragma once

#include "video/hevc/NalUnit.h"
#include "video/hevc/ParameterSets.h"

namespace cadrelle {

// The video parameter set of a two-layer stream: layer 0 the colour pictures,
// layer 1 an independent auxiliary alpha layer (AuxId 1) in an additional
// layer set, laid out like the files of the platform's own HEVC-with-alpha
// writer. Profile, level, picture size and buffering come from the layers'
// sequence parameter sets.
NalUnit makeAlphaVps(const SequenceParameterSet& colour, const SequenceParameterSet& alpha);

// The alpha_channel_info SEI (payload type 165) for layer 0: colour already
// premultiplied by alpha, 8-bit alpha, 0 transparent and 255 opaque.
NalUnit makeAlphaChannelInfoSei();

} // namespace cadrelle
