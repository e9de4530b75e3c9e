#include "video/hevc/HevcAlphaEncoder.h"

#include "core/AppError.h"
#include "video/hevc/HevcStreamError.h"
#include "video/hevc/HvcCRecord.h"

namespace cadrelle {

HevcAlphaEncoder::HevcAlphaEncoder(const X265Settings& colour, Sink sink,
                                   HevcLayerStreams* layerCopies)
    : sink_(std::move(sink)), layerCopies_(layerCopies), colourEncoder_(colour),
      alphaLayer_(colour) {
    if (colour.width <= 0 || colour.height <= 0 || colour.width % 2 || colour.height % 2) {
        throw HevcStreamError("the picture size is not even");
    }
    joiner_ = std::make_unique<HevcAlphaJoiner>(colourEncoder_.headers(), alphaLayer_.headers());
    hvcC_ = makeHvcCRecord(joiner_->colourSps(), joiner_->parameterSets());
    if (layerCopies_) {
        layerCopies_->colourHeaders = colourEncoder_.headers();
        layerCopies_->alphaHeaders = alphaLayer_.headers();
    }
}

HevcAlphaEncoder::~HevcAlphaEncoder() = default;

void HevcAlphaEncoder::encode(const PlanarPicture& colour, const std::uint8_t* alpha,
                              int alphaStride, std::int64_t pts) {
    // The alpha first: its encode is over before the colour encoder holds
    // any picture.
    alphaLayer_.add(alpha, alphaStride);
    colourEncoder_.encode(colour, pts, colourOut_);
    drain();
}

void HevcAlphaEncoder::finish() {
    while (colourEncoder_.flush(colourOut_)) {
    }
    drain();
}

void HevcAlphaEncoder::drain() {
    while (!colourOut_.empty()) {
        EncodedPicture colour = std::move(colourOut_.front());
        colourOut_.pop_front();
        // Without B pictures, the colour pictures come out in the order they
        // went in, as the alpha layer's do.
        std::vector<NalUnit> alpha = alphaLayer_.picture(pictures_++);
        JoinedPicture joined = joiner_->join(colour.units, alpha);
        if (layerCopies_) {
            layerCopies_->colourPictures.push_back(std::move(colour.units));
            layerCopies_->alphaPictures.push_back(std::move(alpha));
        }
        sink_({joinLengthPrefixed(joined.units), colour.pts, joined.keyframe});
    }
}

} // namespace cadrelle
