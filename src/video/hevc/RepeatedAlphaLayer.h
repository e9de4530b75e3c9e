#pragma once

#include "video/hevc/NalUnit.h"
#include "video/hevc/ParameterSets.h"
#include "video/hevc/SliceHeader.h"
#include "video/hevc/X265Encoder.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace cadrelle {

// The alpha layer of framed pictures, whose opacity is the frame's and so the
// same in every picture. It is encoded losslessly once: an IDR picture and
// the first P pictures of a GOP, after which the encoder is closed. Every
// later P picture of an unchanging picture is the same slice but for its
// picture order count, so the layer's pictures are those few, repeated GOP
// after GOP. The export thus holds one x265 encoder's pictures (the colour
// layer's) instead of two.
class RepeatedAlphaLayer {
public:
    // `settings` are the colour layer's (size, rate, GOP); the encoder opens
    // now, so the layer's parameter sets are known before the first picture.
    explicit RepeatedAlphaLayer(const X265Settings& settings);
    ~RepeatedAlphaLayer();
    RepeatedAlphaLayer(const RepeatedAlphaLayer&) = delete;
    RepeatedAlphaLayer& operator=(const RepeatedAlphaLayer&) = delete;

    // VPS, SPS and PPS of the layer as a single-layer stream.
    const std::vector<NalUnit>& headers() const { return headers_; }

    // Takes one picture's alpha (one byte per pixel, rows `stride` bytes
    // apart): the first is encoded, every later one must equal it, else
    // HevcStreamError.
    void add(const std::uint8_t* alpha, int stride);

    // The units of the layer's picture at `index` in stream order, as a
    // single-layer stream (layer 0, the parameter sets above).
    std::vector<NalUnit> picture(std::int64_t index) const;

private:
    void encode(const std::uint8_t* alpha, int stride);

    X265Settings settings_;
    std::unique_ptr<X265Encoder> encoder_;
    std::vector<NalUnit> headers_;
    SequenceParameterSet sps_;
    PictureParameterSet pps_;
    std::vector<std::uint8_t> alpha_; // the first picture's, rows without padding
    // The pictures at the start of a GOP: IDR, then P pictures.
    std::vector<std::vector<NalUnit>> gopStart_;
    // The repeated P picture: its slice's payload and header.
    NalBytes repeatedRbsp_;
    SliceHeader repeatedHeader_;
    int repeatedType_ = 0;
};

} // namespace cadrelle
