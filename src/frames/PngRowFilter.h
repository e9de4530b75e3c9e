#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cadrelle {

// Chooses and applies a PNG filter for rows of 8-bit RGB or RGBA pixels
// (`pixelBytes` 3 or 4). Each row gets whichever of the five filters (None,
// Sub, Up, Average, Paeth) leaves bytes of the lowest entropy, the number of bits an ideal
// code for the row's own byte frequencies would need, which predicts how well
// the row deflates better than the common sum of absolute values does; ties
// go to the earlier filter, and a row equal to the one above gets Up. The
// choice depends only on the row and the row above, so a row filters the same
// wherever the image is cut into strips.
class PngRowFilter {
public:
    PngRowFilter(std::size_t rowBytes, std::size_t pixelBytes);

    // Writes the filter type byte and then the filtered row, 1 + rowBytes
    // bytes, to `out`. `above` is the previous row of the image, or nullptr
    // for the first row. Returns the entropy of the filtered row in bits, a
    // measure of how busy it is.
    double filter(const std::uint8_t* row, const std::uint8_t* above, std::uint8_t* out);

private:
    std::size_t rowBytes_;
    std::size_t pixelBytes_;
    std::vector<std::uint8_t> zeros_;
    std::vector<std::uint8_t> candidates_; // Sub, Up, Average, Paeth, rowBytes each
    std::vector<double> countBits_;        // c × log2(c) for every count c up to rowBytes
};

} // namespace cadrelle
