#include "CaptureTestSupport.h"

#include "support/TestFrames.h"

namespace cadrelle::test {

TestLibrary makeTestLibrary(const std::filesystem::path& folder,
                            const std::vector<std::pair<std::uint32_t, std::uint32_t>>& openings) {
    std::filesystem::create_directories(folder / "drawn");
    std::vector<std::filesystem::path> files;
    for (const auto& [width, height] : openings) {
        files.push_back(writeFrame(
            folder / "drawn" /
                ("iPhone Test " + std::to_string(width) + "x" + std::to_string(height) + ".png"),
            FrameDrawing{width + 8, height + 8, 4, 4, width, height}));
    }
    TestLibrary result;
    result.library.directory = folder / "Frames";
    result.assets = result.library.importFiles(files);
    return result;
}

void writeScreenshot(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height,
                     std::uint32_t seed) {
    writeTestPng(path, drawScreenshot(width, height, seed));
}

} // namespace cadrelle::test
