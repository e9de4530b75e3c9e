#include "RunCadrelle.h"
#include "support/PngWriter.h"
#include "support/TempDir.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace cadrelle::test;
namespace fs = std::filesystem;

namespace {

// A 24 × 24 frame with a 12 × 12 transparent opening at (6, 6), carrying
// `extraChunks` before its image data.
void writeOpenFrame(const fs::path& path, std::span<const std::uint8_t> extraChunks = {}) {
    RgbaImage image(24, 24, 0x202020FF);
    image.fill(6, 6, 12, 12, 0x00000000);
    writeBytes(path, withChunkAfterHeader(encodeTestPng(image), extraChunks));
}

} // namespace

TEST(BadInput, DevicesPipesAndFoldersAreRefusedWithoutReadingOrWaiting) {
    TempDir dir;
    writeOpenFrame(dir / "frame.png");
    fs::create_symlink("/dev/zero", dir / "zero.png");
    ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe.mp4").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.png");
    fs::create_directory(dir / "lib");
    fs::create_symlink("/dev/zero", dir / "lib" / "catalog.json");
    const auto before = dir.entries();
    const std::string notAFile = ": This is not a regular file.";

    expectFailure(runCadrelle({"inspect-frame", "--input", "zero.png"}, dir.path()),
                  "zero.png" + notAFile);
    expectFailure(runCadrelle({"inspect-frame", "--input", "pipe.png"}, dir.path()),
                  "pipe.png" + notAFile);
    expectFailure(runCadrelle({"inspect-frame", "--input", "folder.png"}, dir.path()),
                  "folder.png: Is a directory");
    expectFailure(runCadrelle({"frame", "--frame", "frame.png", "--input", "pipe.png", "--output",
                               "framed.png"},
                              dir.path()),
                  "pipe.png" + notAFile);
    expectFailure(runCadrelle({"frame", "--frame", "frame.png", "--input", "pipe.mp4", "--output",
                               "framed.mp4"},
                              dir.path()),
                  "pipe.mp4" + notAFile);
    expectFailure(runCadrelle({"import-frames", "--library", "lib", "frame.png"}, dir.path()),
                  "lib/catalog.json" + notAFile);
    expectFailure(runCadrelle({"import-frames", "--library", "fresh", "zero.png"}, dir.path()),
                  "zero.png" + notAFile);

    EXPECT_TRUE(dir.entries("fresh").empty());
    fs::remove(dir / "fresh");
    EXPECT_EQ(dir.entries(), before);
    EXPECT_EQ(dir.entries("lib"), std::vector<std::string>{"catalog.json"});
}

TEST(BadInput, AFullDiskLeavesNoPartialOutput) {
    TempDir dir;
    writeOpenFrame(dir / "frame.png");
    writeTestPng(dir / "shot.png", RgbaImage(12, 12, 0xFF0000FF));
    fs::create_directory(dir / "out");
    fs::create_directory(dir / "lib");
    // Every file the program writes may grow to 64 bytes only; the write past
    // that fails as it does on a full disk.
    const auto smallDisk = [] {
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
    };
    for (const auto& [arguments, folder] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"frame", "--frame", "frame.png", "--input", "shot.png", "--output", "out/o.png"},
              "out"},
             {{"import-frames", "--library", "lib", "frame.png"}, "lib"}}) {
        const auto outcome = runCadrelle(arguments, dir.path(), smallDisk);
        EXPECT_EQ(outcome.status, 1) << arguments[0];
        EXPECT_EQ(outcome.err.rfind("Error: " + folder + "/", 0), 0u) << outcome.err;
        EXPECT_TRUE(outcome.err.ends_with(": File too large\n")) << outcome.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_TRUE(dir.entries(folder).empty()) << "no partial or temporary file in " << folder;
    }
}

TEST(BadInput, FramesCarryingMuchTextAreStillFrames) {
    TempDir dir;
    std::vector<std::uint8_t> notes;
    for (int i = 0; i < 1500; ++i) {
        const std::string body = std::string("Comment") + '\0' + "note " + std::to_string(i);
        const auto chunk = pngChunk(
            "tEXt", std::span(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()));
        notes.insert(notes.end(), chunk.begin(), chunk.end());
    }
    writeOpenFrame(dir / "Noted Phone - Black - Portrait.png", notes);
    const auto outcome =
        runCadrelle({"inspect-frame", "--input", "Noted Phone - Black - Portrait.png"}, dir.path());
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto json = nlohmann::json::parse(outcome.out);
    EXPECT_EQ(json["name"], "Noted Phone \u2014 Black");
    EXPECT_EQ(json["screen"], (nlohmann::json{{"x", 6}, {"y", 6}, {"width", 12}, {"height", 12}}));
}
