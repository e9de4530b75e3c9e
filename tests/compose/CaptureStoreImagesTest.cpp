#include "compose/CaptureStoreImages.h"
#include "compose/CompositionReader.h"
#include "core/AppError.h"
#include "support/PngWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace cadrelle;
using namespace cadrelle::test;
namespace fs = std::filesystem;

namespace {

void writeStore(const TempDir& dir, const std::string& background) {
    writeText(dir / "store.json",
              R"({"sizes": ["300x600", "240x480"], "background": {"color": ")" + background +
                  R"("}, "screens": [{"name": "home", "capture": "*home*", "title": "home"},
                                     {"name": "list", "capture": "*list*", "title": "list"}],
                    "locales": {"en": {"strings": "en.json", "captures": "."}}})");
    writeText(dir / "en.json", R"({"home": "Home", "list": "List"})");
}

// A framed capture: transparent corners around a blue body.
fs::path writeFramed(const TempDir& dir) {
    RgbaImage image(50, 100, 0x2040C0FF);
    image.set(0, 0, 0);
    writeTestPng(dir / "framed.png", image);
    return dir / "framed.png";
}

} // namespace

// The application's store images: one file per size beside where Save puts
// the screenshot, named by their bytes, so saving again adds nothing and a
// changed composition adds new files; the preview keeps the first size's
// proportions at the height asked for.
TEST(CaptureStoreImages, SavesEachSizeOnceAndPreviewsTheFirst) {
    TempDir dir;
    writeStore(dir, "#102030");
    const fs::path framed = writeFramed(dir);
    fs::create_directories(dir / "out");
    const CaptureStoreImages images(dir / "store.json");
    const auto saved = images.save(framed, "Simulator Screenshot - list.png", dir / "out");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].parent_path(), dir / "out");
    EXPECT_EQ(saved[0].filename().string().rfind("framed-300x600-", 0), 0u) << saved[0];
    EXPECT_EQ(saved[1].filename().string().rfind("framed-240x480-", 0), 0u) << saved[1];
    EXPECT_EQ(images.save(framed, "Simulator Screenshot - list.png", dir / "out"), saved);
    EXPECT_EQ(dir.entries("out").size(), 2u);

    writeStore(dir, "#405060");
    EXPECT_NE(images.save(framed, "Simulator Screenshot - list.png", dir / "out"), saved);
    EXPECT_EQ(dir.entries("out").size(), 4u);

    const QImage preview = images.preview(framed, "Simulator Screenshot - home.png", 200);
    EXPECT_EQ(preview.size(), QSize(100, 200));
    EXPECT_EQ(preview.pixelColor(0, 0), QColor(0x40, 0x50, 0x60));

    writeText(dir / "en.json", R"({"list": "List"})");
    try {
        images.preview(framed, "Simulator Screenshot - home.png", 200);
        FAIL() << "a preview without its title was drawn";
    } catch (const AppError& error) {
        EXPECT_EQ(error.message(),
                  (dir / "en.json").string() + ": The en strings have no \"home\".");
    }
}

// Fields the composition doesn't know, and values out of their range, are
// named with their place in the file.
TEST(CaptureStoreImages, NamesMisspeltAndOutOfRangeFields) {
    TempDir dir;
    const auto refusal = [&dir](const std::string& caption) {
        writeText(dir / "store.json",
                  R"({"sizes": ["300x600"], "caption": )" + caption +
                      R"(, "screens": [{"name": "a", "capture": "*", "title": "a"}],
                        "locales": {"en": {"strings": "en.json", "captures": "."}}})");
        try {
            readComposition(dir / "store.json");
        } catch (const AppError& error) {
            return error.message();
        }
        return std::string("accepted");
    };
    const std::string file = (dir / "store.json").string();
    EXPECT_EQ(refusal(R"({"titel": {}})"), file + ": unknown field caption.titel.");
    EXPECT_EQ(refusal(R"({"title": {"size": 2}})"),
              file + ": caption.title.size must be a number from 0.001 to 1.");
    EXPECT_EQ(refusal(R"({"title": {"color": "red"}})"),
              file + ": caption.title.color must be a colour written #rrggbb or #rrggbbaa.");
    EXPECT_EQ(refusal(R"({"position": "left"})"),
              file + ": caption.position must be top or bottom.");
}
