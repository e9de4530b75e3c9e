#pragma once

#include "video/FfmpegHandles.h"

#include <QImage>
#include <QSize>

#include <vector>

namespace cadrelle {

// Which Y'CbCr matrix and range a picture's samples are in.
struct YuvMatrix {
    bool bt601 = false; // else BT.709
    bool fullRange = false;

    static YuvMatrix of(const AVFrame& picture);
};

// Shrinks planar 4:4:4 pictures of 8, 10 or 12 bits, with or without alpha
// — what ProRes 4444 decodes to — straight to premultiplied ARGB32 at the
// size they are shown. Each output pixel averages up to 3 × 3 samples
// spread over the pixels it covers, weighted by their alpha, so the work
// follows the output's size, not the picture's: a phone-sized picture in a
// preview window reads a twentieth of its samples. Fully transparent
// pixels stay exactly transparent, opaque ones exactly opaque. Keeps the
// sample positions between pictures of the same sizes.
class Yuv444Shrinker final {
public:
    // Whether `picture` is of a format this converts and `target` is no
    // larger than it on either side.
    static bool handles(const AVFrame& picture, QSize target);

    QImage scale(const AVFrame& picture, QSize target, YuvMatrix matrix);

private:
    // For each output column (row), the source columns (rows) it averages.
    struct Samples {
        int source = 0;
        int target = 0;
        int perPixel = 0;
        std::vector<int> positions;

        void update(int source, int target);
    };

    Samples columns_;
    Samples rows_;
};

} // namespace cadrelle
