#include "video/hevc/RepeatedAlphaLayer.h"

#include "video/hevc/HevcStreamError.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace cadrelle {

namespace {

// IDR, the first P picture (the only one that predicts from the IDR picture
// alone), the P picture that repeats, and one more to check that it does.
constexpr int encodedPictures = 4;
constexpr std::size_t repeatedIndex = 2;

X265Settings alphaSettings(const X265Settings& colour) {
    X265Settings alpha = colour;
    alpha.bt709Tags = false;
    alpha.lossless = true;
    return alpha;
}

const NalUnit& onlySlice(const std::vector<NalUnit>& picture) {
    const auto isSlice = [](const NalUnit& unit) { return unit.isVcl(); };
    if (std::count_if(picture.begin(), picture.end(), isSlice) != 1) {
        throw HevcStreamError("an alpha picture is not one slice");
    }
    return *std::find_if(picture.begin(), picture.end(), isSlice);
}

} // namespace

RepeatedAlphaLayer::RepeatedAlphaLayer(const X265Settings& settings)
    : settings_(alphaSettings(settings)), encoder_(std::make_unique<X265Encoder>(settings_)),
      headers_(encoder_->headers()) {
    for (const auto& unit : headers_) {
        if (unit.type() == nal::sps) {
            sps_ = SequenceParameterSet::parse(unit);
        } else if (unit.type() == nal::pps) {
            pps_ = PictureParameterSet::parse(unit);
        }
    }
}

RepeatedAlphaLayer::~RepeatedAlphaLayer() = default;

void RepeatedAlphaLayer::add(const std::uint8_t* alpha, int stride) {
    const auto width = static_cast<std::size_t>(settings_.width);
    if (alpha_.empty()) {
        for (int y = 0; y < settings_.height; ++y) {
            const std::uint8_t* row = alpha + static_cast<std::ptrdiff_t>(y) * stride;
            alpha_.insert(alpha_.end(), row, row + width);
        }
        encode(alpha, stride);
        return;
    }
    for (int y = 0; y < settings_.height; ++y) {
        if (std::memcmp(alpha + static_cast<std::ptrdiff_t>(y) * stride,
                        alpha_.data() + static_cast<std::size_t>(y) * width, width) != 0) {
            throw HevcStreamError("the alpha changes between pictures");
        }
    }
}

void RepeatedAlphaLayer::encode(const std::uint8_t* alpha, int stride) {
    const std::vector<std::uint8_t> neutralChroma(
        static_cast<std::size_t>(settings_.width / 2) * (settings_.height / 2), 128);
    PlanarPicture picture;
    picture.planes[0] = alpha;
    picture.planes[1] = neutralChroma.data();
    picture.planes[2] = neutralChroma.data();
    picture.strides[0] = stride;
    picture.strides[1] = settings_.width / 2;
    picture.strides[2] = settings_.width / 2;
    const int count = std::min(settings_.keyframeInterval, encodedPictures);
    std::deque<EncodedPicture> out;
    for (int i = 0; i < count; ++i) {
        encoder_->encode(picture, i, out);
    }
    while (encoder_->flush(out)) {
    }
    encoder_.reset(); // its pictures are the bulk of the layer's memory
    if (out.size() != static_cast<std::size_t>(count)) {
        throw HevcStreamError("the alpha encoder returned too few pictures");
    }
    for (auto& encoded : out) {
        gopStart_.push_back(std::move(encoded.units));
    }
    if (gopStart_.size() <= repeatedIndex) {
        return; // GOPs this short hold no repeated picture
    }
    const NalUnit& repeated = onlySlice(gopStart_[repeatedIndex]);
    repeatedType_ = repeated.type();
    repeatedRbsp_ = repeated.rbsp();
    repeatedHeader_ = SliceHeader::parse(repeatedRbsp_, repeatedType_, sps_, pps_);
    if (gopStart_.size() > repeatedIndex + 1) {
        const NalUnit& next = onlySlice(gopStart_[repeatedIndex + 1]);
        const NalBytes nextRbsp = next.rbsp();
        const auto nextHeader = SliceHeader::parse(nextRbsp, next.type(), sps_, pps_);
        if (next.type() != repeatedType_ ||
            withPocLsb(nextRbsp, nextHeader, 0, false) !=
                withPocLsb(repeatedRbsp_, repeatedHeader_, 0, false)) {
            throw HevcStreamError("the alpha pictures do not repeat");
        }
    }
    gopStart_.resize(repeatedIndex);
}

std::vector<NalUnit> RepeatedAlphaLayer::picture(std::int64_t index) const {
    if (gopStart_.empty()) {
        throw HevcStreamError("the alpha layer has no picture yet");
    }
    const auto position = static_cast<std::uint32_t>(index % settings_.keyframeInterval);
    if (position < gopStart_.size()) {
        return gopStart_[position];
    }
    const std::uint32_t pocLsb = position % (1u << sps_.log2MaxPocLsb);
    return {NalUnit::make(repeatedType_, 0, 0, withPocLsb(repeatedRbsp_, repeatedHeader_, pocLsb))};
}

} // namespace cadrelle
