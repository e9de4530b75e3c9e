#pragma once

#include "compose/StoreSizes.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// A colour as 0xRRGGBBAA (straight alpha).
using Rgba = std::uint32_t;

struct GradientStop {
    Rgba color = 0;
    double position = 0; // 0 … 1 along the gradient line
};

struct Background {
    enum class Kind { color, gradient, image };
    Kind kind = Kind::color;
    Rgba color = 0xFFFFFFFF;
    // Degrees, as in CSS: 0 runs bottom to top, 90 left to right, 180 top to bottom.
    double angle = 180;
    std::vector<GradientStop> stops;
    std::filesystem::path image; // scaled to cover the canvas
};

// How one caption line (the title or the subtitle) is set.
struct TextStyle {
    std::string font = "DejaVu Sans"; // family name, looked up through fontconfig
    std::filesystem::path fontFile;   // when set, the font's family comes from this file
    int weight = 400;                 // 100 … 900
    Rgba color = 0xFFFFFFFF;
    Rgba highlightColor = 0xFFD60AFF; // the **marked** span
    double size = 0.03;               // font size as a fraction of the canvas height
    double minimumSize = 0.02;        // shrunk no further than this
    double lineSpacing = 1.15;        // times the font's line height
    enum class Alignment { center, leading, trailing, left, right };
    Alignment alignment = Alignment::center;
    int maximumLines = 2;
};

struct Caption {
    bool above = true;    // above the device, or below it
    double margin = 0.05; // from the canvas edge, fraction of its height
    double width = 0.88;  // fraction of the canvas width, centred
    double gap = 0.015;   // between title and subtitle, fraction of the height
    TextStyle title;
    TextStyle subtitle;
};

struct Shadow {
    Rgba color = 0x00000066;
    double blur = 0.015;    // radius, fraction of the canvas height
    double offsetX = 0;     // fraction of the canvas width
    double offsetY = 0.008; // fraction of the canvas height
};

struct Device {
    double height = 0.72; // the device's box: fraction of the canvas height
    double width = 0.9;   // and of its width; the device is scaled to fit
    double margin = 0.03; // box from the canvas edge away from the caption
    double gap = 0.03;    // between the caption's region and the box
    double offsetX = 0;   // moves the device, fraction of the canvas width
    double offsetY = 0;   // and of its height
    std::optional<Shadow> shadow;
};

struct Screen {
    std::string name;    // the output's name: NN-<name>.png
    std::string capture; // file name pattern (*, ?, [...]) in the locale's captures
    std::string title;   // key in the strings file
    std::optional<std::string> subtitle;
};

struct Locale {
    std::string name;
    std::filesystem::path strings;  // JSON object of key → text
    std::filesystem::path captures; // folder of this locale's captures
};

// A store image composition as read from its JSON file. Relative paths are
// already resolved against the file's folder.
struct Composition {
    std::filesystem::path file;
    std::vector<StoreSize> sizes;
    Background background;
    Caption caption;
    Device device;
    std::vector<Screen> screens;
    std::vector<Locale> locales;
};

} // namespace cadrelle
