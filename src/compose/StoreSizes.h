#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// One named store image size: the exact portrait pixel size a store listing
// accepts for a display class; landscape captures get it turned.
struct StoreSize {
    std::string name;
    std::int64_t width = 0;  // portrait
    std::int64_t height = 0; // portrait

    // The canvas for a capture: width × height, or turned for a landscape one.
    std::int64_t canvasWidth(bool landscape) const { return landscape ? height : width; }
    std::int64_t canvasHeight(bool landscape) const { return landscape ? width : height; }
};

// Every named size, in the order the README lists them.
const std::vector<StoreSize>& storeSizes();

// The size called `name`: one of storeSizes(), or "<width>x<height>" for a
// plain size. Throws "Unknown store size "<name>". Known sizes: …" otherwise.
StoreSize storeSizeNamed(const std::string& name);

} // namespace cadrelle
