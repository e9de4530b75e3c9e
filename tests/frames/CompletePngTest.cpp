#include "frames/CompletePng.h"
#include "support/PngWriter.h"

#include <gtest/gtest.h>

using namespace cadrelle;

// A file being written is a prefix of the final one; only the whole file,
// with nothing after IEND and every chunk intact, counts as complete.
TEST(CompletePng, AcceptsOnlyTheWholeFileWithIntactChunks) {
    test::RgbaImage image(9, 7, 0x336699FF);
    image.fill(2, 2, 3, 3, 0xFF000080);
    const auto png = test::encodeTestPng(image);
    EXPECT_TRUE(isCompletePng(png));
    for (std::size_t length = 0; length < png.size(); ++length) {
        ASSERT_FALSE(isCompletePng(std::span(png).first(length))) << length << " bytes";
    }

    auto longer = png;
    longer.push_back(0);
    EXPECT_FALSE(isCompletePng(longer)) << "bytes after IEND";

    for (const std::size_t at : {std::size_t{0}, std::size_t{20}, png.size() / 2, png.size() - 5}) {
        auto damaged = png;
        damaged[at] ^= 0x01;
        EXPECT_FALSE(isCompletePng(damaged)) << "byte " << at << " changed";
    }
}
