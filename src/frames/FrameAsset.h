#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace cadrelle {

// An integer rectangle in pixel coordinates, origin at the top-left pixel.
struct PixelRect {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The record of one device frame; its id is the SHA-256 of the PNG bytes.
struct FrameAsset {
    std::string id;
    std::string name;
    std::string model;
    std::string color;
    std::string file;
    PixelRect screen;
    std::int64_t pixelWidth = 0;
    std::int64_t pixelHeight = 0;
    std::string digest;
    std::optional<bool> isBundled;

    // Landscape when the opening is wider than it is high; a square is portrait.
    bool isLandscape() const { return screen.height < screen.width; }

    friend bool operator==(const FrameAsset&, const FrameAsset&) = default;
};

// The text that orders a library and labels a frame: the name, " · ", then
// "Landscape" or "Portrait".
std::string frameKey(const FrameAsset& asset);

void to_json(nlohmann::json& json, const PixelRect& rect);
void from_json(const nlohmann::json& json, PixelRect& rect);
void to_json(nlohmann::json& json, const FrameAsset& asset);
void from_json(const nlohmann::json& json, FrameAsset& asset);

} // namespace cadrelle
