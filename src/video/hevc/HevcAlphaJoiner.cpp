#include "video/hevc/HevcAlphaJoiner.h"

#include "video/hevc/AlphaLayerHeaders.h"
#include "video/hevc/HevcStreamError.h"
#include "video/hevc/SliceHeader.h"

#include <optional>

namespace cadrelle {

namespace {

constexpr int alphaLayer = 1;
constexpr std::uint32_t alphaId = 1;

struct StreamHeaders {
    SequenceParameterSet sps;
    PictureParameterSet pps;
};

StreamHeaders readHeaders(const std::vector<NalUnit>& units) {
    std::optional<SequenceParameterSet> sps;
    std::optional<PictureParameterSet> pps;
    int vpsCount = 0;
    for (const auto& unit : units) {
        if (unit.layerId() != 0) {
            throw HevcStreamError("an encoder wrote more than one layer");
        }
        if (unit.type() == nal::vps) {
            ++vpsCount;
        } else if (unit.type() == nal::sps) {
            if (sps) {
                throw HevcStreamError("an encoder wrote more than one sequence parameter set");
            }
            sps = SequenceParameterSet::parse(unit);
        } else if (unit.type() == nal::pps) {
            if (pps) {
                throw HevcStreamError("an encoder wrote more than one picture parameter set");
            }
            pps = PictureParameterSet::parse(unit);
        } else if (unit.isVcl()) {
            throw HevcStreamError("an encoder's headers hold a slice");
        }
    }
    if (vpsCount != 1 || !sps || !pps) {
        throw HevcStreamError("an encoder's parameter sets are incomplete");
    }
    if (sps->id.value != 0 || pps->id.value != 0 || pps->spsId.value != 0) {
        throw HevcStreamError("an encoder's parameter sets do not use id 0");
    }
    return {std::move(*sps), std::move(*pps)};
}

const NalUnit& onlySlice(const std::vector<NalUnit>& picture) {
    const NalUnit* slice = nullptr;
    for (const auto& unit : picture) {
        if (unit.type() == nal::vps || unit.type() == nal::sps || unit.type() == nal::pps) {
            throw HevcStreamError("an encoder changed its parameter sets mid-stream");
        }
        if (unit.layerId() != 0) {
            throw HevcStreamError("an encoder wrote more than one layer");
        }
        if (unit.isVcl()) {
            if (slice) {
                throw HevcStreamError("a picture has more than one slice");
            }
            slice = &unit;
        }
    }
    if (!slice) {
        throw HevcStreamError("a picture has no slice");
    }
    return *slice;
}

} // namespace

HevcAlphaJoiner::HevcAlphaJoiner(const std::vector<NalUnit>& colourHeaders,
                                 const std::vector<NalUnit>& alphaHeaders)
    : sei_(makeAlphaChannelInfoSei()) {
    auto colour = readHeaders(colourHeaders);
    auto alpha = readHeaders(alphaHeaders);
    colourSps_ = std::move(colour.sps);
    colourPps_ = std::move(colour.pps);
    alphaSps_ = std::move(alpha.sps);
    alphaPps_ = std::move(alpha.pps);
    if (colourSps_.width != alphaSps_.width || colourSps_.height != alphaSps_.height ||
        colourSps_.conformanceWindow != alphaSps_.conformanceWindow ||
        colourSps_.conformanceOffsets != alphaSps_.conformanceOffsets) {
        throw HevcStreamError("the colour and alpha pictures differ in size");
    }
    // The alpha layer has the colour layer's picture size and rate and a
    // fraction of its bit rate, so it declares the colour layer's level. A
    // lossless encoder declares level 8.5, "no limits", which decoders that
    // check the level before decoding may refuse.
    alphaSps_.setLevelIdc(colourSps_.levelIdc());
    parameterSets_ = {makeAlphaVps(colourSps_, alphaSps_),
                      NalUnit::make(nal::sps, 0, 0, colourSps_.rbsp),
                      alphaSps_.withId(alphaId, alphaLayer),
                      NalUnit::make(nal::pps, 0, 0, colourPps_.rbsp),
                      alphaPps_.withIds(alphaId, alphaId, alphaLayer),
                      sei_};
}

JoinedPicture HevcAlphaJoiner::join(const std::vector<NalUnit>& colourPicture,
                                    const std::vector<NalUnit>& alphaPicture) {
    const NalUnit& colour = onlySlice(colourPicture);
    const NalUnit& alpha = onlySlice(alphaPicture);
    if (colour.type() != alpha.type()) {
        throw HevcStreamError("the colour and alpha pictures differ in type");
    }
    const auto colourHeader =
        SliceHeader::parse(colour.rbsp(), colour.type(), colourSps_, colourPps_);
    const NalBytes alphaRbsp = alpha.rbsp();
    const auto alphaHeader = SliceHeader::parse(alphaRbsp, alpha.type(), alphaSps_, alphaPps_);
    if (colourHeader.pocLsb != alphaHeader.pocLsb ||
        colourHeader.sliceType != alphaHeader.sliceType) {
        throw HevcStreamError("the colour and alpha pictures differ in order or type");
    }
    JoinedPicture joined;
    joined.keyframe = colour.isIrap();
    if (joined.keyframe) {
        joined.units.push_back(sei_);
    }
    joined.units.push_back(colour);
    joined.units.push_back(rewriteSlice(alpha.type(), alphaRbsp, alphaHeader, alphaId, alphaLayer));
    return joined;
}

} // namespace cadrelle
