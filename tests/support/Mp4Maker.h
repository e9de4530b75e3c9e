#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace cadrelle::test {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// What a test recording looks like. Pictures are stored width × height and
// show four flat quadrants (see quadrantColour); the display matrix may turn
// them for display.
struct Mp4Spec {
    int width = 64;
    int height = 96;
    int frames = 6;
    int fps = 30;
    // Presentation times in 1/600 s, one per frame; empty gives a constant rate.
    std::vector<std::int64_t> times{};
    // Display-matrix rotation in degrees (FFmpeg's av_display_rotation_set)
    // and a horizontal mirror; 0 and false write no matrix.
    double rotation = 0;
    bool mirror = false;
    // Audio channels (0 for no audio track) at 44.1 kHz.
    int audioChannels = 0;
    // Adds a second, independent video track.
    bool secondVideoTrack = false;
    // From frame `resizeAt` on (0: never) pictures are stored resizedWidth ×
    // resizedHeight, in full range when asked: a second encoder continues the
    // track with new parameter sets, so the pictures a decoder gives change
    // size (and pixel format) mid-stream while the track keeps its first size.
    int resizeAt = 0;
    int resizedWidth = 0;
    int resizedHeight = 0;
    bool resizedFullRange = false;
    // Flat grey pictures instead of the quadrants: picture N shows the grey
    // 16 + 3·N (up to 255), so a decoded picture tells which one it is. Each
    // picture lasts 1/fps, the last one included.
    bool counting = false;
};

// The colour of the stored picture's quadrant holding (x, y): top-left red,
// top-right green, bottom-left blue, bottom-right yellow. Pictures stored
// after a change of size show the same quadrants at their own size.
Rgb quadrantColour(const Mp4Spec& spec, int x, int y);

// Encodes a recording with the FFmpeg libraries (H.264, AAC) into an MP4
// whose movie box comes last, as a screen recorder writes it.
void makeMp4(const std::filesystem::path& path, const Mp4Spec& spec);

// A ProRes 4444 movie (MOV, 10-bit 4:4:4, no alpha) of `frames` flat grey
// pictures at `fps` whose picture N shows the grey of RGB level 16 + 3·N, so
// that a shown picture tells which one it is. At most 80 pictures.
void makeCountingMovie(const std::filesystem::path& path, int width, int height, int fps,
                       int frames);

} // namespace cadrelle::test
