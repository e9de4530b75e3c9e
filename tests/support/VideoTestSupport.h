#pragma once

#include "frames/LoadedFrame.h"
#include "video/VideoExportFormat.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cadrelle::test {

inline constexpr int kOpeningX = 8;
inline constexpr int kOpeningY = 9;

// A small device frame made in memory: 81 × 113 pixels (odd on purpose), an
// opening of 64 × 96 at (openingX, openingY), by default (8, 9), with an
// opaque grey bezel from 2 pixels in, a magenta island at the top of the
// opening, a half-transparent left edge of the opening, and transparency
// outside the device.
LoadedFrame makeTestFrame(int openingX = kOpeningX, int openingY = kOpeningY);

struct Rgba {
    int r = 0, g = 0, b = 0, a = 255;
};

struct DecodedPicture {
    double seconds = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba; // straight alpha

    Rgba at(int x, int y) const;
};

struct DecodedStream {
    std::string codec;
    std::string type; // "video" or "audio"
    std::string pixelFormat;
    int profile = 0;
    int width = 0, height = 0;
    int channels = 0, sampleRate = 0;
    bool bt709Tags = false;
};

struct DecodedMovie {
    std::string container;
    double duration = 0;
    std::vector<DecodedStream> streams;
    std::vector<DecodedPicture> pictures;
};

// Opens a movie with the FFmpeg libraries and decodes every picture of its
// first video track to RGBA (BT.709).
DecodedMovie decodeMovie(const std::filesystem::path& path);

// True when two colours differ by at most `tolerance` in every channel.
bool near(const Rgba& a, const Rgba& b, int tolerance = 12);

// The largest difference in any channel between a decoded picture and how it
// should look, and the pixel where it is.
struct PictureDifference {
    double worst = 0;
    int x = -1;
    int y = -1;
};

// Frames a recording whose four flat quadrants meet in sharp vertical and
// horizontal colour edges into the test frame with its opening at even and
// odd columns and rows, in `format`, inside `folder`, and compares every
// picture with the RGB reference: for hevc-alpha its colour layer, which is
// premultiplied and so shows the device on black; for ProRes without the
// pixels near the recording's own edges, which its full-resolution chroma
// softens. Gives the worst difference for each opening.
struct OpeningDifference {
    int x = 0;
    int y = 0;
    PictureDifference difference;
};
std::vector<OpeningDifference> frameAtEvenAndOddOpenings(const std::filesystem::path& folder,
                                                         VideoExportFormat format);

} // namespace cadrelle::test
