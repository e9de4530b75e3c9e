// Writes small PNGs of every colour type, bit depth and interlacing, some
// with a screen opening and one with an ICC profile, into the given folder.
#include "support/PngWriter.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace cadrelle::test;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: png_fuzzer_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    RgbaImage frame(16, 20, 0x202428FF);
    frame.fill(2, 2, 12, 16, 0x00000000);
    frame.fill(5, 3, 6, 2, 0x010203FF);
    RgbaImage picture(9, 7, 0x336699FF);
    picture.set(1, 1, 0xFFFFFF80);
    picture.set(2, 2, 0x00000000);

    struct Layout {
        PngColor color;
        int depth;
    };
    const std::vector<Layout> layouts = {
        {PngColor::rgba, 8},    {PngColor::rgba, 16},     {PngColor::rgb, 8},
        {PngColor::rgb, 16},    {PngColor::greyAlpha, 8}, {PngColor::greyAlpha, 16},
        {PngColor::grey, 1},    {PngColor::grey, 4},      {PngColor::grey, 16},
        {PngColor::palette, 2}, {PngColor::palette, 8}};
    int index = 0;
    for (const auto& layout : layouts) {
        for (const bool interlaced : {false, true}) {
            const RgbaImage& image =
                (layout.color == PngColor::rgba || layout.color == PngColor::greyAlpha ||
                 layout.color == PngColor::palette)
                    ? frame
                    : picture;
            try {
                writeTestPng(folder / ("seed-" + std::to_string(index++) + ".png"), image,
                             {layout.color, layout.depth, interlaced, {}});
            } catch (const std::exception&) {
                // Some layouts cannot hold every colour of the picture.
            }
        }
    }
    std::vector<std::uint8_t> profile(400, 0);
    profile[36] = 'a';
    writeTestPng(folder / "seed-icc.png", frame, {PngColor::rgba, 8, false, profile});
    return 0;
}
