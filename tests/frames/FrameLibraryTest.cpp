#include "support/TestFrames.h"

#include "core/JsonSupport.h"
#include "core/LockFile.h"
#include "frames/FrameLibrary.h"
#include "frames/InspectFrame.h"
#include "support/LockHolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace cadrelle;
using namespace cadrelle::test;

namespace {

// Frames that differ in their bytes: the opening moves by `shift` pixels.
std::filesystem::path frameFile(const TempDir& dir, const std::string& name, std::uint32_t shift,
                                bool landscape = false) {
    FrameDrawing drawing{40, 60, 4 + shift, 6, 32 - shift, 48};
    if (landscape) {
        drawing = {60, 40, 6, 4 + shift, 48, 32 - shift};
    }
    return writeFrame(dir / name, drawing);
}

std::vector<std::string> namesOf(const std::vector<FrameAsset>& frames) {
    std::vector<std::string> names;
    for (const auto& frame : frames) {
        names.push_back(frameKey(frame));
    }
    return names;
}

} // namespace

TEST(FrameLibrary, ImportsDeduplicatesAndSorts) {
    TempDir sources;
    TempDir home;
    const FrameLibrary library{home / "Lib/Frames"};
    EXPECT_TRUE(library.load().empty());
    EXPECT_TRUE(library.importFiles({}).empty());
    EXPECT_EQ(readText(library.directory / "catalog.json"), "[]\n");

    const auto ten = frameFile(sources, "iPad 10 - Silver - Portrait.png", 1);
    const auto two = frameFile(sources, "iPad 2 - Silver - Portrait.png", 2);
    const auto twoLandscape = frameFile(sources, "iPad 2 - Silver - Landscape.png", 3, true);
    const auto lower = frameFile(sources, "ipad 3 - Silver.png", 4);
    const auto catalog = library.importFiles({ten, twoLandscape, two, lower, ten});
    EXPECT_EQ(namesOf(catalog),
              (std::vector<std::string>{
                  "iPad 2 \u2014 Silver \u00B7 Landscape", "iPad 2 \u2014 Silver \u00B7 Portrait",
                  "ipad 3 - Silver \u00B7 Portrait", "iPad 10 \u2014 Silver \u00B7 Portrait"}));
    EXPECT_EQ(library.load(), catalog);
    for (const auto& frame : catalog) {
        EXPECT_TRUE(std::filesystem::exists(library.directory / frame.file));
    }
    // Pretty-printed with sorted keys.
    const std::string text = readText(library.directory / "catalog.json");
    EXPECT_NE(text.find("\n    \"color\": \"Silver\",\n    \"digest\""), std::string::npos);

    // The same bytes under another name: the first name stays.
    std::filesystem::copy_file(ten, sources / "Renamed.png");
    const auto again = library.importFiles({sources / "Renamed.png"});
    EXPECT_EQ(again, catalog);
    EXPECT_EQ(home.entries("Lib/Frames").size(), 5u) << "four frames and the catalog";
}

TEST(FrameLibrary, AFailedInspectionWritesNothing) {
    TempDir sources;
    TempDir home;
    const FrameLibrary library{home.path()};
    const auto good = frameFile(sources, "Good.png", 0);
    library.importFiles({good});
    const std::string before = readText(home / "catalog.json");

    writeTestPng(sources / "Solid.png", RgbaImage(40, 60, kBezel));
    const auto other = frameFile(sources, "Other.png", 2);
    EXPECT_EQ(messageOf([&] {
                  library.importFiles({other, sources / "Solid.png"});
              }),
              "The frame needs a transparent screen opening at its center.");
    EXPECT_EQ(readText(home / "catalog.json"), before);
    EXPECT_EQ(home.entries().size(), 2u) << "only the first frame and the catalog";

    // A file name that is not text cannot name a record: refused before any
    // frame is copied, whether inspected alone or imported.
    const auto latin1 = frameFile(sources, "Bad\xff Phone - Black.png", 4);
    const std::string notText =
        "The frame's file name is not valid UTF-8 text. Rename the file and try again.";
    EXPECT_EQ(messageOf([&] { inspectFrame(latin1); }), notText);
    EXPECT_EQ(messageOf([&] { library.importFiles({other, latin1}); }), notText);
    EXPECT_EQ(readText(home / "catalog.json"), before);
    EXPECT_EQ(home.entries().size(), 2u);
    const FrameLibrary fresh{home / "Fresh"};
    EXPECT_EQ(messageOf([&] { fresh.importFiles({latin1}); }), notText);
    EXPECT_TRUE(home.entries("Fresh").empty());
}

TEST(FrameLibrary, CatalogsAndFramesThatAreNoFilesAreRefusedUnread) {
    TempDir sources;
    TempDir home;
    const FrameLibrary library{home.path()};
    std::filesystem::create_symlink("/dev/zero", home / "catalog.json");
    EXPECT_EQ(messageOf([&] { library.importFiles({frameFile(sources, "Good.png", 0)}); }),
              (home / "catalog.json").string() + ": This is not a regular file.");

    // A shipped frame that is no file stops the merge before the catalog is written.
    TempDir shippedDir;
    const FrameLibrary shipped{shippedDir.path()};
    shipped.importFiles({frameFile(sources, "Shipped.png", 1)});
    const auto record = shipped.load().front();
    std::filesystem::remove(shippedDir / record.file);
    std::filesystem::create_symlink("/dev/zero", shippedDir / record.file);
    const FrameLibrary fresh{home / "Fresh"};
    EXPECT_EQ(messageOf([&] { fresh.installBundled(shipped); }),
              (shippedDir / record.file).string() + ": This is not a regular file.");
    EXPECT_TRUE(home.entries("Fresh").empty());
}

TEST(FrameLibrary, RefusesCatalogsWithUnsafeFileNamesOrSizesThatAreNotWholeNumbers) {
    TempDir home;
    const FrameLibrary library{home.path()};
    TempDir sources;
    library.importFiles({frameFile(sources, "Phone.png", 0)});
    const auto catalog = readJsonFile<nlohmann::json>(home / "catalog.json", kMaxCatalogFileBytes);
    const auto loadWith = [&](const char* key, const nlohmann::json& value) {
        auto edited = catalog;
        edited[0][key] = value;
        writeJsonFile(edited, home / "catalog.json");
        return library.load();
    };
    for (const std::string bad : {"../evil.png", "sub/x.png", ".hidden.png", ""}) {
        EXPECT_EQ(messageOf([&] { loadWith("file", bad); }),
                  "The frame library contains an invalid filename.")
            << bad;
    }
    EXPECT_EQ(loadWith("pixelWidth", 40.0).at(0).pixelWidth, 40) << "a whole number is taken";
    const std::string damaged = (home / "catalog.json").string() + ": " + kJsonFormatError;
    for (const nlohmann::json& bad :
         {nlohmann::json(1e20), nlohmann::json(-1.5e19), nlohmann::json(2.5),
          nlohmann::json(18446744073709551615u), nlohmann::json(true)}) {
        EXPECT_EQ(messageOf([&] { loadWith("pixelWidth", bad); }), damaged) << bad;
    }
    auto screen = catalog[0]["screen"];
    screen["x"] = -1e300;
    EXPECT_EQ(messageOf([&] { loadWith("screen", screen); }), damaged);
    auto missing = catalog;
    missing[0].erase("digest");
    writeJsonFile(missing, home / "catalog.json");
    EXPECT_EQ(messageOf([&] { library.load(); }), damaged);
    writeText(home / "catalog.json", "{not json");
    EXPECT_EQ(messageOf([&] { library.load(); }), damaged);
}

TEST(FrameLibrary, InstallsShippedFramesAndRetiresOldOnes) {
    TempDir sources;
    TempDir shippedDir;
    TempDir home;
    const FrameLibrary shipped{shippedDir.path()};
    const FrameLibrary library{home / "Frames"};

    const auto a = frameFile(sources, "Alpha.png", 0);
    const auto b = frameFile(sources, "Beta.png", 1);
    const auto c = frameFile(sources, "Gamma.png", 2);
    const auto d = frameFile(sources, "Delta.png", 3);
    const auto e = frameFile(sources, "Epsilon.png", 4);
    const auto shippedCatalog = shipped.importFiles({a, b});

    // The user's library: an own frame (c), a frame with shipped bytes (a, under
    // another name), a bundled frame no longer shipped (d), an unbundled record
    // listed as retired (e).
    auto userCatalog = library.importFiles({c, a, d, e});
    const std::string retiredId = inspectFrame(e).id;
    const std::string droppedId = inspectFrame(d).id;
    nlohmann::json edited = userCatalog;
    for (auto& record : edited) {
        if (record["id"] == droppedId) {
            record["isBundled"] = true;
        }
    }
    writeJsonFile(edited, library.directory / "catalog.json");
    writeJsonFile(nlohmann::json::array({retiredId, shippedCatalog[0].id}),
                  shipped.directory / "retired.json");

    library.installBundled(shipped);
    const auto merged = library.load();
    EXPECT_EQ(namesOf(merged),
              (std::vector<std::string>{"Alpha \u00B7 Portrait", "Beta \u00B7 Portrait",
                                        "Gamma \u00B7 Portrait"}));
    EXPECT_EQ(merged[0].isBundled, std::optional<bool>(true)) << "retired but still shipped";
    EXPECT_EQ(merged[1].isBundled, std::optional<bool>(true));
    EXPECT_FALSE(merged[2].isBundled.has_value());
    for (const auto& frame : merged) {
        EXPECT_TRUE(std::filesystem::exists(library.directory / frame.file));
    }
    // The dropped frame's PNG stays on disk.
    EXPECT_TRUE(std::filesystem::exists(library.directory / (droppedId + ".png")));
    // Compact, in the record's own key order.
    const std::string text = readText(library.directory / "catalog.json");
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.rfind("[{\"id\":", 0), 0u);
    EXPECT_NE(text.find("\"digest\":\"" + merged[0].id + "\",\"isBundled\":true}"),
              std::string::npos);

    // Into an empty library; a damaged retired list stops before anything is written.
    const FrameLibrary fresh{home / "Fresh"};
    fresh.installBundled(shipped);
    EXPECT_EQ(fresh.load().size(), 2u);
    writeText(shipped.directory / "retired.json", "[1,");
    const FrameLibrary untouched{home / "Untouched"};
    EXPECT_EQ(messageOf([&] { untouched.installBundled(shipped); }),
              (shipped.directory / "retired.json").string() + ": " + kJsonFormatError);
    EXPECT_FALSE(std::filesystem::exists(untouched.directory));
}

// The library is shared by the application and import-frames. Another
// copy's import keeps a writer waiting only as long as it allows, then the
// writer says why and changes nothing; locking the library folder itself,
// which anyone who can open it may do, keeps nobody waiting.
TEST(FrameLibrary, AnotherWriterDelaysAnImportOnlyAsLongAsAllowed) {
    TempDir sources;
    TempDir home;
    const FrameLibrary library{home / "Frames"};
    const FrameLibrary shipped{sources / "Shipped"};
    shipped.importFiles({frameFile(sources, "Phone - Black.png", 1)});
    library.importFiles({frameFile(sources, "Phone - Silver.png", 2)});
    {
        const LockHolder stranger(library.directory);
        ASSERT_TRUE(stranger.holds());
        EXPECT_EQ(messageOf([&] { library.installBundled(shipped, nullptr); }), "");
        EXPECT_EQ(library.load().size(), 2u);
    }
    const std::string catalog = readText(library.directory / "catalog.json");

    const LockHolder otherCopy(LockFile::forFolder("writing", library.directory));
    ASSERT_TRUE(otherCopy.holds());
    const std::string busy =
        "Another copy of Cadrelle is changing the frame library. Try again when it has finished.";
    int waits = 0;
    const auto patience = [&] { return ++waits < 2; };
    const auto extra = frameFile(sources, "Phone - Gold.png", 3);
    EXPECT_EQ(messageOf([&] { library.importFiles({extra}, patience); }), busy);
    EXPECT_EQ(messageOf([&] { library.installBundled(shipped, patience); }), busy);
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(readText(library.directory / "catalog.json"), catalog);
}
