#include "StoreSizes.h"

#include "core/AppError.h"

#include <charconv>

namespace cadrelle {

namespace {

// Plain sizes are kept to what a PNG decoder here reads back.
constexpr std::int64_t kLargestSide = 10000;

std::optional<std::int64_t> sideNamed(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > kLargestSide) {
        return std::nullopt;
    }
    return value;
}

} // namespace

const std::vector<StoreSize>& storeSizes() {
    // The App Store's screenshot sizes per display class, as App Store Connect
    // Help lists them: portrait width × height. A class
    // that accepts two sizes has a name for each.
    static const std::vector<StoreSize> sizes = {
        {"iphone-6.9", 1320, 2868}, {"iphone-6.9-1290", 1290, 2796},
        {"iphone-6.5", 1284, 2778}, {"iphone-6.5-1242", 1242, 2688},
        {"iphone-6.3", 1206, 2622}, {"iphone-6.3-1179", 1179, 2556},
        {"iphone-6.1", 1170, 2532}, {"iphone-5.5", 1242, 2208},
        {"ipad-13", 2064, 2752},    {"ipad-13-2048", 2048, 2732},
        {"ipad-11", 1668, 2420},    {"ipad-11-1640", 1640, 2360},
    };
    return sizes;
}

StoreSize storeSizeNamed(const std::string& name) {
    for (const StoreSize& size : storeSizes()) {
        if (size.name == name) {
            return size;
        }
    }
    const std::string_view text(name);
    if (const auto cross = text.find('x'); cross != std::string_view::npos) {
        const auto width = sideNamed(text.substr(0, cross));
        const auto height = sideNamed(text.substr(cross + 1));
        if (width && height) {
            return {name, *width, *height};
        }
    }
    std::string known;
    for (const StoreSize& size : storeSizes()) {
        known += (known.empty() ? "" : ", ") + size.name;
    }
    throw AppError("Unknown store size \"" + name + "\". Known sizes: " + known +
                   ", or WIDTHxHEIGHT.");
}

} // namespace cadrelle
