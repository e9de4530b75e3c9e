#pragma once

#include <cstdlib>

namespace cadrelle {

// PNG's Paeth predictor: of the left, upper and upper-left bytes, the one
// nearest to left + up − upLeft, ties going in that order. Written as
// selects, not branches, so that loops over independent bytes run on vector
// registers.
inline int paethPredictor(int left, int up, int upLeft) {
    const int toLeft = std::abs(up - upLeft);
    const int toUp = std::abs(left - upLeft);
    const int toUpLeft = std::abs(left + up - 2 * upLeft);
    const int nearer = toUp <= toUpLeft ? up : upLeft;
    return toLeft <= toUp && toLeft <= toUpLeft ? left : nearer;
}

} // namespace cadrelle
