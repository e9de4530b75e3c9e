#include "ColorProfile.h"

#include "frames/LcmsHandles.h"

namespace cadrelle {

namespace {

// Grey samples read from the first byte of each RGBA pixel, the other three
// bytes skipped; written back as RGB with the alpha byte left alone.
constexpr cmsUInt32Number kGreyInRgba =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);
constexpr cmsUInt32Number kRgbInRgba =
    COLORSPACE_SH(PT_RGB) | CHANNELS_SH(3) | BYTES_SH(1) | EXTRA_SH(1);

// lcms2 reports problems through a handler of the context; failures are seen
// through the null results instead, so the handler stays silent.
void silentErrors(cmsContext, cmsUInt32Number, const char*) {}

} // namespace

void convertToSrgb(std::span<std::uint8_t> rgba, std::span<const std::uint8_t> iccProfile,
                   bool greyImage) {
    if (iccProfile.empty() || rgba.empty()) {
        return;
    }
    // A context of its own per call: conversions may run on several threads.
    const LcmsContext context(cmsCreateContext(nullptr, nullptr));
    if (!context) {
        return;
    }
    const auto ctx = static_cast<cmsContext>(context.get());
    cmsSetLogErrorHandlerTHR(ctx, silentErrors);
    const LcmsProfile source(cmsOpenProfileFromMemTHR(
        ctx, iccProfile.data(), static_cast<cmsUInt32Number>(iccProfile.size())));
    if (!source) {
        return;
    }
    const cmsColorSpaceSignature space = cmsGetColorSpace(source.get());
    cmsUInt32Number inputFormat = 0;
    if (space == cmsSigRgbData) {
        inputFormat = kRgbInRgba;
    } else if (space == cmsSigGrayData && greyImage) {
        inputFormat = kGreyInRgba;
    } else {
        return;
    }
    const LcmsProfile srgb(cmsCreate_sRGBProfileTHR(ctx));
    if (!srgb) {
        return;
    }
    const LcmsTransform transform(cmsCreateTransformTHR(ctx, source.get(), inputFormat, srgb.get(),
                                                        kRgbInRgba, INTENT_PERCEPTUAL,
                                                        cmsFLAGS_NOCACHE));
    if (!transform) {
        return;
    }
    // Input and output pixels are both four bytes, so converting in place
    // reads each pixel before it is overwritten; the alpha byte is kept.
    cmsDoTransform(transform.get(), rgba.data(), rgba.data(),
                   static_cast<cmsUInt32Number>(rgba.size() / 4));
}

} // namespace cadrelle
