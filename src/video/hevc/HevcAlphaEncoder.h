#pragma once

#include "video/hevc/HevcAlphaJoiner.h"
#include "video/hevc/RepeatedAlphaLayer.h"
#include "video/hevc/X265Encoder.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace cadrelle {

// One access unit of both layers, as a movie sample: NAL units behind
// four-byte lengths.
struct EncodedAccessUnit {
    std::vector<std::uint8_t> data;
    std::int64_t pts = 0;
    bool keyframe = false;
};

// Copies of what each encoder wrote, for checking the joined stream.
struct HevcLayerStreams {
    std::vector<NalUnit> colourHeaders;
    std::vector<NalUnit> alphaHeaders;
    std::vector<std::vector<NalUnit>> colourPictures;
    std::vector<std::vector<NalUnit>> alphaPictures;
};

// Encodes framed pictures into HEVC with an alpha layer: the colour (BT.709,
// video range 4:2:0, premultiplied by alpha) and the alpha (opacity in luma,
// chroma 128) go through two libx265 encoders with the same GOP, and their
// pictures are joined into two-layer access units handed to `sink` in order.
// The colour is encoded at its average bit rate. The alpha, a frame's
// silhouette and so the same in every picture, is encoded losslessly, so that
// anti-aliased edges keep their exact opacity, and only once (see
// RepeatedAlphaLayer); a picture whose alpha differs is refused.
class HevcAlphaEncoder {
public:
    using Sink = std::function<void(EncodedAccessUnit&&)>;

    HevcAlphaEncoder(const X265Settings& colour, Sink sink,
                     HevcLayerStreams* layerCopies = nullptr);
    ~HevcAlphaEncoder();
    HevcAlphaEncoder(const HevcAlphaEncoder&) = delete;
    HevcAlphaEncoder& operator=(const HevcAlphaEncoder&) = delete;

    // The `hvcC` payload of the movie's sample entry, known from the start.
    const std::vector<std::uint8_t>& decoderConfiguration() const { return hvcC_; }
    // The parameter sets and SEI of the joined stream, in stream order.
    const std::vector<NalUnit>& parameterSets() const { return joiner_->parameterSets(); }

    // `colour`: the 4:2:0 picture; `alpha`: one byte per pixel, 0 transparent
    // to 255 opaque, rows `alphaStride` bytes apart.
    void encode(const PlanarPicture& colour, const std::uint8_t* alpha, int alphaStride,
                std::int64_t pts);
    // Drains both encoders; every picture has reached the sink afterwards.
    void finish();

private:
    void drain();

    Sink sink_;
    HevcLayerStreams* layerCopies_;
    X265Encoder colourEncoder_;
    RepeatedAlphaLayer alphaLayer_;
    std::unique_ptr<HevcAlphaJoiner> joiner_;
    std::vector<std::uint8_t> hvcC_;
    std::deque<EncodedPicture> colourOut_;
    std::int64_t pictures_ = 0; // joined so far
};

} // namespace cadrelle
