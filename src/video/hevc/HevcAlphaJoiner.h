#pragma once

#include "video/hevc/NalUnit.h"
#include "video/hevc/ParameterSets.h"

#include <vector>

namespace cadrelle {

// One access unit of the two-layer stream.
struct JoinedPicture {
    std::vector<NalUnit> units;
    bool keyframe = false;
};

// Joins two single-layer streams made with identical GOP settings, colour and
// alpha, into one two-layer stream: the alpha stream's units are relabelled
// to layer 1, get SPS id 1 and PPS id 1, and its slice headers are rewritten
// to refer to PPS 1. Pictures are joined in order; both must have the same NAL
// type and picture order count, else HevcStreamError.
class HevcAlphaJoiner {
public:
    // `colourHeaders` and `alphaHeaders` are each encoder's VPS, SPS and PPS
    // (SEIs among them are ignored).
    HevcAlphaJoiner(const std::vector<NalUnit>& colourHeaders,
                    const std::vector<NalUnit>& alphaHeaders);

    // VPS, SPS(0), SPS(1), PPS(0), PPS(1) and the alpha_channel_info SEI.
    const std::vector<NalUnit>& parameterSets() const { return parameterSets_; }
    const SequenceParameterSet& colourSps() const { return colourSps_; }

    // The access unit of one colour picture and its alpha picture. A key
    // picture starts with the alpha_channel_info SEI.
    JoinedPicture join(const std::vector<NalUnit>& colourPicture,
                       const std::vector<NalUnit>& alphaPicture);

private:
    SequenceParameterSet colourSps_;
    PictureParameterSet colourPps_;
    SequenceParameterSet alphaSps_;
    PictureParameterSet alphaPps_;
    std::vector<NalUnit> parameterSets_;
    NalUnit sei_;
};

} // namespace cadrelle
