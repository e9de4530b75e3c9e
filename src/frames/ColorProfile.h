#pragma once

#include <cstdint>
#include <span>

namespace cadrelle {

// Converts straight-alpha RGBA8 pixels in place from the colour space of an
// embedded ICC profile to sRGB. `greyImage` tells whether the PNG stored grey
// samples (a grey profile applies only to those). A profile that cannot be
// read or does not fit the image is ignored: the pixels are taken as sRGB.
void convertToSrgb(std::span<std::uint8_t> rgba, std::span<const std::uint8_t> iccProfile,
                   bool greyImage);

} // namespace cadrelle
