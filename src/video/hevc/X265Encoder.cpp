#include "video/hevc/X265Encoder.h"

#include "core/AppError.h"
#include "video/VideoExportFormat.h"
#include "video/hevc/HevcStreamError.h"

#include <x265.h>

namespace cadrelle {

namespace {

std::string cannotEncode() {
    return "This computer cannot encode " + title(VideoExportFormat::hevcAlpha) +
           " at this size. Choose another video format.";
}

void set(x265_param* param, const char* name, const std::string& value) {
    if (x265_param_parse(param, name, value.c_str()) != 0) {
        throw AppError(cannotEncode());
    }
}

std::vector<NalUnit> unitsOf(const x265_nal* nals, std::uint32_t count) {
    std::vector<NalUnit> units;
    for (std::uint32_t i = 0; i < count; ++i) {
        auto split = splitAnnexB(std::span(nals[i].payload, nals[i].sizeBytes));
        for (auto& unit : split) {
            units.push_back(std::move(unit));
        }
    }
    return units;
}

} // namespace

void X265Encoder::ParamDeleter::operator()(x265_param* param) const {
    x265_param_free(param);
}

void X265Encoder::EncoderDeleter::operator()(x265_encoder* encoder) const {
    x265_encoder_close(encoder);
}

X265Encoder::X265Encoder(const X265Settings& settings) : param_(x265_param_alloc()) {
    x265_param* p = param_.get();
    if (!p || x265_param_default_preset(p, settings.preset.c_str(), nullptr) != 0) {
        throw AppError(cannotEncode());
    }
    p->sourceWidth = settings.width;
    p->sourceHeight = settings.height;
    p->internalCsp = X265_CSP_I420;
    p->internalBitDepth = 8;
    p->fpsNum = static_cast<std::uint32_t>(settings.frameRateNumerator);
    p->fpsDenom = static_cast<std::uint32_t>(settings.frameRateDenominator);
    const std::string keyint = std::to_string(settings.keyframeInterval);
    set(p, "log-level", "none");
    set(p, "annexb", "1");
    set(p, "bframes", "0");
    set(p, "keyint", keyint);
    set(p, "min-keyint", keyint);
    set(p, "scenecut", "0");
    set(p, "open-gop", "0");
    set(p, "weightp", "0");
    set(p, "weightb", "0");
    set(p, "repeat-headers", "0");
    set(p, "info", "0");
    set(p, "hash", "0");
    set(p, "aud", "0");
    set(p, "slices", "1");
    if (settings.lossless) {
        set(p, "lossless", "1");
        // Coded losslessly, a sharp edge costs about three times as many bits
        // when the fast presets predict a 16 × 16 block from its edges in one
        // piece as when it is split down to 4 × 4 transform blocks, each
        // predicted from its own neighbours.
        set(p, "tu-intra-depth", "3");
    } else {
        set(p, "bitrate", std::to_string(std::max(1LL, settings.bitRate / 1000)));
    }
    if (settings.bt709Tags) {
        set(p, "colorprim", "bt709");
        set(p, "transfer", "bt709");
        set(p, "colormatrix", "bt709");
        set(p, "range", "limited");
    }
    if (x265_param_apply_profile(p, "main") != 0) {
        throw AppError(cannotEncode());
    }
    encoder_.reset(x265_encoder_open(p));
    if (!encoder_) {
        throw AppError(cannotEncode());
    }
    x265_nal* nals = nullptr;
    std::uint32_t count = 0;
    if (x265_encoder_headers(encoder_.get(), &nals, &count) < 0) {
        throw AppError("Unable to start video encoding.");
    }
    headers_ = unitsOf(nals, count);
}

X265Encoder::~X265Encoder() = default;

void X265Encoder::encode(const PlanarPicture& picture, std::int64_t pts,
                         std::deque<EncodedPicture>& out) {
    run(&picture, pts, out);
}

bool X265Encoder::flush(std::deque<EncodedPicture>& out) {
    return run(nullptr, 0, out) > 0;
}

int X265Encoder::run(const PlanarPicture* picture, std::int64_t pts,
                     std::deque<EncodedPicture>& out) {
    x265_picture input;
    x265_picture output;
    x265_picture_init(param_.get(), &input);
    x265_picture_init(param_.get(), &output);
    if (picture) {
        for (int i = 0; i < 3; ++i) {
            input.planes[i] = const_cast<std::uint8_t*>(picture->planes[i]);
            input.stride[i] = picture->strides[i];
        }
        input.bitDepth = 8;
        input.colorSpace = X265_CSP_I420;
        input.pts = pts;
    }
    x265_nal* nals = nullptr;
    std::uint32_t count = 0;
    const int result =
        x265_encoder_encode(encoder_.get(), &nals, &count, picture ? &input : nullptr, &output);
    if (result < 0) {
        throw AppError("Unable to encode a video frame.");
    }
    if (result > 0) {
        out.push_back({unitsOf(nals, count), output.pts});
    }
    return result;
}

} // namespace cadrelle
