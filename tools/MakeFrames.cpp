// Draws every shipped device frame and builds the shipped frames folder with
// the frame library's own import, so the catalog is exactly what an import
// of these PNGs gives.
//
//   make-frames FRAMES_DIRECTORY
//
// The folder's PNGs and catalog are replaced; a "retired.json" in it is kept.

#include "ArtworkOutput.h"
#include "ShippedDevices.h"

#include "core/AppError.h"
#include "core/FileIO.h"
#include "frames/FrameLibrary.h"

#include <filesystem>
#include <iostream>
#include <vector>

namespace {

using namespace cadrelle;
using namespace cadrelle::artwork;
namespace fs = std::filesystem;

void removeOldFrames(const fs::path& directory) {
    if (!fs::exists(directory)) {
        return;
    }
    for (const auto& entry : fs::directory_iterator(directory)) {
        const auto name = entry.path().filename();
        if (name.extension() == ".png" || name == "catalog.json") {
            fs::remove(entry.path());
        }
    }
}

int run(const fs::path& directory) {
    const fs::path staging = directory.parent_path() / (temporaryItemName() + "-frames");
    const ScopedRemoval removal(staging);
    createDirectories(staging);
    std::vector<fs::path> files;
    for (const FramePicture& picture : shippedFramePictures()) {
        const fs::path path = staging / picture.fileName;
        writePng(drawDevice(picture.design, picture.landscape), path);
        files.push_back(path);
    }
    removeOldFrames(directory);
    const auto catalog = FrameLibrary{directory}.importFiles(files);
    std::cout << "Wrote " << catalog.size() << " frames to " << directory.string() << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-frames FRAMES_DIRECTORY\n";
        return 2;
    }
    try {
        return run(fs::absolute(argv[1]));
    } catch (const std::exception& error) {
        std::cerr << "make-frames: " << userDescription(error) << '\n';
        return 1;
    }
}
