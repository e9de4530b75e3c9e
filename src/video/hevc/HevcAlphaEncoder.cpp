#include "video/hevc/HevcAlphaEncoder.h"

#include "core/AppError.h"
#include "video/hevc/HevcStreamError.h"
#include "video/hevc/HvcCRecord.h"

namespace cadrelle {

namespace {

X265Settings alphaSettings(const X265Settings& colour) {
    X265Settings alpha = colour;
    alpha.bt709Tags = false;
    alpha.lossless = true;
    return alpha;
}

} // namespace

HevcAlphaEncoder::HevcAlphaEncoder(const X265Settings& colour, Sink sink,
                                   HevcLayerStreams* layerCopies)
    : settings_(colour), sink_(std::move(sink)), layerCopies_(layerCopies), colourEncoder_(colour),
      alphaEncoder_(alphaSettings(colour)) {
    if (colour.width <= 0 || colour.height <= 0 || colour.width % 2 || colour.height % 2) {
        throw HevcStreamError("the picture size is not even");
    }
    joiner_ = std::make_unique<HevcAlphaJoiner>(colourEncoder_.headers(), alphaEncoder_.headers());
    hvcC_ = makeHvcCRecord(joiner_->colourSps(), joiner_->parameterSets());
    if (layerCopies_) {
        layerCopies_->colourHeaders = colourEncoder_.headers();
        layerCopies_->alphaHeaders = alphaEncoder_.headers();
    }
    neutralChroma_.assign(static_cast<std::size_t>(colour.width / 2) * (colour.height / 2), 128);
}

HevcAlphaEncoder::~HevcAlphaEncoder() = default;

void HevcAlphaEncoder::encode(const PlanarPicture& colour, const std::uint8_t* alpha,
                              int alphaStride, std::int64_t pts) {
    PlanarPicture alphaPicture;
    alphaPicture.planes[0] = alpha;
    alphaPicture.planes[1] = neutralChroma_.data();
    alphaPicture.planes[2] = neutralChroma_.data();
    alphaPicture.strides[0] = alphaStride;
    alphaPicture.strides[1] = settings_.width / 2;
    alphaPicture.strides[2] = settings_.width / 2;
    colourEncoder_.encode(colour, pts, colourOut_);
    alphaEncoder_.encode(alphaPicture, pts, alphaOut_);
    drain();
}

void HevcAlphaEncoder::finish() {
    while (colourEncoder_.flush(colourOut_)) {
    }
    while (alphaEncoder_.flush(alphaOut_)) {
    }
    drain();
    if (!colourOut_.empty() || !alphaOut_.empty()) {
        throw HevcStreamError("the colour and alpha streams differ in length");
    }
}

void HevcAlphaEncoder::drain() {
    while (!colourOut_.empty() && !alphaOut_.empty()) {
        EncodedPicture colour = std::move(colourOut_.front());
        EncodedPicture alpha = std::move(alphaOut_.front());
        colourOut_.pop_front();
        alphaOut_.pop_front();
        if (colour.pts != alpha.pts) {
            throw HevcStreamError("the colour and alpha pictures differ in time");
        }
        JoinedPicture joined = joiner_->join(colour.units, alpha.units);
        if (layerCopies_) {
            layerCopies_->colourPictures.push_back(std::move(colour.units));
            layerCopies_->alphaPictures.push_back(std::move(alpha.units));
        }
        sink_({joinLengthPrefixed(joined.units), colour.pts, joined.keyframe});
    }
}

} // namespace cadrelle
