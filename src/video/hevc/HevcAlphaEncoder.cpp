#include "video/hevc/HevcAlphaEncoder.h"

#include "core/AppError.h"
#include "video/hevc/HevcStreamError.h"
#include "video/hevc/HvcCRecord.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <cstring>

namespace cadrelle {

namespace {

X265Settings alphaSettings(const X265Settings& colour, long long bitRate) {
    X265Settings alpha = colour;
    alpha.bitRate = bitRate;
    alpha.bt709Tags = false;
    return alpha;
}

SwsContext* makeConverter(int width, int height) {
    SwsContext* context =
        sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, AV_PIX_FMT_YUV420P,
                       SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!context) {
        throw AppError("Unable to allocate video buffers.");
    }
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    // Full-range RGB in, limited-range BT.709 Y'CbCr out.
    sws_setColorspaceDetails(context, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    return context;
}

PlanarPicture planesOf(std::vector<std::uint8_t>& buffer, int width, int height) {
    const std::size_t lumaSize = static_cast<std::size_t>(width) * height;
    const std::size_t chromaSize = lumaSize / 4;
    PlanarPicture picture;
    picture.planes[0] = buffer.data();
    picture.planes[1] = buffer.data() + lumaSize;
    picture.planes[2] = buffer.data() + lumaSize + chromaSize;
    picture.strides[0] = width;
    picture.strides[1] = width / 2;
    picture.strides[2] = width / 2;
    return picture;
}

} // namespace

HevcAlphaEncoder::HevcAlphaEncoder(const X265Settings& colour, long long alphaBitRate, Sink sink,
                                   HevcLayerStreams* layerCopies)
    : settings_(colour), sink_(std::move(sink)), layerCopies_(layerCopies), colourEncoder_(colour),
      alphaEncoder_(alphaSettings(colour, alphaBitRate)), converter_(nullptr, sws_freeContext) {
    if (colour.width <= 0 || colour.height <= 0 || colour.width % 2 || colour.height % 2) {
        throw HevcStreamError("the picture size is not even");
    }
    joiner_ = std::make_unique<HevcAlphaJoiner>(colourEncoder_.headers(), alphaEncoder_.headers());
    hvcC_ = makeHvcCRecord(joiner_->colourSps(), joiner_->parameterSets());
    if (layerCopies_) {
        layerCopies_->colourHeaders = colourEncoder_.headers();
        layerCopies_->alphaHeaders = alphaEncoder_.headers();
    }
    converter_.reset(makeConverter(colour.width, colour.height));
    const std::size_t lumaSize = static_cast<std::size_t>(colour.width) * colour.height;
    colourPlanes_.resize(lumaSize * 3 / 2);
    alphaPlanes_.assign(lumaSize * 3 / 2, 128); // chroma stays 128
}

HevcAlphaEncoder::~HevcAlphaEncoder() = default;

void HevcAlphaEncoder::encode(const std::uint8_t* rgba, int stride, std::int64_t pts) {
    const int width = settings_.width;
    const int height = settings_.height;
    PlanarPicture colour = planesOf(colourPlanes_, width, height);
    std::uint8_t* destination[4] = {const_cast<std::uint8_t*>(colour.planes[0]),
                                    const_cast<std::uint8_t*>(colour.planes[1]),
                                    const_cast<std::uint8_t*>(colour.planes[2]), nullptr};
    int destinationStrides[4] = {colour.strides[0], colour.strides[1], colour.strides[2], 0};
    const std::uint8_t* source[4] = {rgba, nullptr, nullptr, nullptr};
    const int sourceStrides[4] = {stride, 0, 0, 0};
    sws_scale(converter_.get(), source, sourceStrides, 0, height, destination, destinationStrides);

    PlanarPicture alpha = planesOf(alphaPlanes_, width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rgba + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint8_t* luma = alphaPlanes_.data() + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            luma[x] = row[x * 4 + 3];
        }
    }
    colourEncoder_.encode(colour, pts, colourOut_);
    alphaEncoder_.encode(alpha, pts, alphaOut_);
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
