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

    // `picture`, a movie's picture shown at `scale` screen pixels per movie
    // pixel, over the board cropped to it: opaque, with a grey square in the
    // top-left corner.
    QImage compose(const QImage& picture, double scale);

private:
    QImage board_;
    double boardScale_ = 0;
};

} // namespace cadrelle
