#include "CaptureTestSupport.h"

#include "support/PngWriter.h"

#include <algorithm>

namespace cadrelle::test {

TestLibrary makeTestLibrary(const std::filesystem::path& folder,
                            const std::vector<std::pair<std::uint32_t, std::uint32_t>>& openings) {
    std::filesystem::create_directories(folder / "drawn");
    std::vector<std::filesystem::path> files;
    for (const auto& [width, height] : openings) {
        RgbaImage image(width + 8, height + 8, 0x202428FF);
        image.fill(4, 4, width, height, 0x00000000);
        const auto file =
            folder / "drawn" /
            ("iPhone Test " + std::to_string(width) + "x" + std::to_string(height) + ".png");
        writeTestPng(file, image);
        files.push_back(file);
    }
    TestLibrary result;
    result.library.directory = folder / "Frames";
    result.assets = result.library.importFiles(files);
    return result;
}

void writeScreenshot(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height,
                     std::uint32_t seed) {
    RgbaImage image(width, height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            image.set(x, y, ((x * 7 + seed) & 0xFF) << 24 | ((y * 5 + 2) & 0xFF) << 16 | 0xFF);
        }
    }
    writeTestPng(path, image);
}

std::vector<std::string> entriesOf(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace cadrelle::test
