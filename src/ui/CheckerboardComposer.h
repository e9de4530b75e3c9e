#pragma once

#include <QImage>
#include <QSize>

namespace cadrelle {

// Puts the pictures of a transparent movie over a checkerboard of grey and
// light grey squares, so that what is transparent can be told from what is
// black. The board is drawn once for each size and reused for every picture.
class CheckerboardComposer final {
public:
    // A square's side in the movie's own pixels.
    static constexpr int kSquare = 32;
    static constexpr int kGrey = 191;      // 0.75
    static constexpr int kLightGrey = 230; // 0.9

    // `frame` scaled to `size`, over the board cropped to it: opaque, with the
    // squares scaled like the frame and a grey square in the top-left corner.
    QImage compose(const QImage& frame, QSize size);

private:
    QImage board_;
    QSize boardFrameSize_;
};

} // namespace cadrelle
