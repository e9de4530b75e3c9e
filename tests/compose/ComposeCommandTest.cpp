#include "core/FileIO.h"
#include "frames/FrameLibrary.h"
#include "support/RunCadrelle.h"
#include "support/TempDir.h"
#include "support/TestFrames.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace cadrelle;
using namespace cadrelle::test;
namespace fs = std::filesystem;

namespace {

std::set<std::string> lines(const std::string& text) {
    std::set<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        result.insert(line);
    }
    return result;
}

// Width, height and colour type from a PNG's header.
struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colorType = -1;
};
PngHeader pngHeader(const fs::path& path) {
    const Bytes bytes = readFile(path, kMaxPngFileBytes);
    const auto number = [&bytes](std::size_t at) {
        return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
               std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
    };
    return {number(16), number(20), bytes[25]};
}

// A library with one phone frame whose opening is 60 × 120.
void writeLibrary(const TempDir& dir) {
    FrameLibrary{dir / "library"}.importFiles(
        {writeFrame(dir / "Phone.png", {64, 124, 2, 2, 60, 120, false, 0x202020FF})});
}

// A capture already framed: transparent corners, as a device's are.
void writeFramedCapture(const fs::path& path, std::uint32_t width, std::uint32_t height) {
    RgbaImage image(width, height, 0x30C060FF);
    for (const auto& [x, y] :
         {std::pair{0u, 0u}, {width - 1, 0u}, {0u, height - 1}, {width - 1, height - 1}}) {
        image.set(x, y, 0x00000000);
    }
    writeTestPng(path, image);
}

void writeComposition(const TempDir& dir, const std::string& locales,
                      const std::string& font = "DejaVu Sans") {
    writeText(dir / "store.json",
              R"({"sizes": ["300x500", "200x400"],
                  "background": {"gradient": {"angle": 90, "stops": ["#102030", "#405060"]}},
                  "caption": {"title": {"font": ")" +
                  font + R"(", "size": 0.05, "minimumSize": 0.04, "maxLines": 2}},
                  "device": {"shadow": {"blur": 0.01}},
                  "screens": [{"name": "home", "capture": "*home*.png", "title": "home.title"},
                              {"name": "wide", "capture": "*wide*.png", "title": "wide.title"}],
                  "locales": {)" +
                  locales + "}}");
}

std::string locale(const std::string& name) {
    return "\"" + name + R"(": {"strings": ")" + name + R"(.json", "captures": ")" + name + "\"}";
}

// A locale whose screens are a screenshot to frame and a framed landscape capture.
void writeLocale(const TempDir& dir, const std::string& name, const std::string& strings) {
    fs::create_directories(dir / name);
    writeText(dir / (name + ".json"), strings);
    writeTestPng(dir / name / "Simulator Screenshot - home.png", drawScreenshot(60, 120));
    writeFramedCapture(dir / name / "wide-framed.png", 160, 80);
}

const char* const kStrings = R"({"home.title": "Frame **every** capture", "wide.title": "Wide"})";

} // namespace

// Every locale × screen × size lands at <locale>/<size>/<NN>-<screen>.png as
// an RGB PNG of exactly the size (landscape captures get it turned), whether
// the capture still needed its frame or had one; the paths go to standard
// output, and the same run gives the same bytes.
TEST(Compose, WritesEveryLocaleScreenAndSizeAsRgbPngs) {
    TempDir dir;
    writeLibrary(dir);
    writeComposition(dir, locale("en") + "," + locale("de"));
    writeLocale(dir, "en", kStrings);
    writeLocale(dir, "de", R"({"home.title": "Jede Aufnahme", "wide.title": "Breit"})");

    const auto compose = [&dir](const std::string& output) {
        return runCadrelle(
            {"compose", "--config", "store.json", "--output", output, "--library", "library"},
            dir.path());
    };
    const Outcome first = compose("out");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "");
    std::set<std::string> expected;
    for (const std::string locale : {"en", "de"}) {
        for (const std::string size : {"300x500", "200x400"}) {
            expected.insert("out/" + locale + "/" + size + "/01-home.png");
            expected.insert("out/" + locale + "/" + size + "/02-wide.png");
        }
    }
    EXPECT_EQ(lines(first.out), expected);
    for (const std::string& path : expected) {
        const PngHeader header = pngHeader(dir / path);
        const bool large = path.find("300x500") != std::string::npos;
        const bool wide = path.find("wide") != std::string::npos;
        EXPECT_EQ(header.colorType, 2) << path << ": RGB without alpha";
        EXPECT_EQ(header.width, wide ? (large ? 500u : 400u) : (large ? 300u : 200u)) << path;
        EXPECT_EQ(header.height, wide ? (large ? 300u : 200u) : (large ? 500u : 400u)) << path;
    }

    const Outcome again = compose("again");
    ASSERT_EQ(again.status, 0) << again.err;
    for (const std::string& path : expected) {
        EXPECT_EQ(readFile(dir / path, kMaxPngFileBytes),
                  readFile(dir / ("again" + path.substr(3)), kMaxPngFileBytes))
            << path;
    }
    // --locale and --size choose; an existing image is never replaced.
    const Outcome chosen =
        runCadrelle({"compose", "--config", "store.json", "--output", "out", "--library", "library",
                     "--locale", "de", "--size", "200x400"},
                    dir.path());
    EXPECT_EQ(chosen.status, 1);
    EXPECT_EQ(chosen.out, "");
    EXPECT_EQ(
        lines(chosen.err),
        (std::set<std::string>{"Error: de/200x400/home: out/de/200x400/01-home.png: File exists",
                               "Error: de/200x400/wide: out/de/200x400/02-wide.png: File exists"}));
}

// Input that spoils the whole run gets one sentence naming what is wrong,
// and nothing is written.
TEST(Compose, RefusesBadCompositionsWithASentence) {
    TempDir dir;
    writeText(dir / "broken.json", "{\n  \"sizes\": [\n    \"600x1000\",,\n  ]\n}\n");
    const auto compose = [&dir](std::vector<std::string> extra) {
        std::vector<std::string> arguments = {"compose", "--output", "out"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return runCadrelle(arguments, dir.path());
    };
    expectFailure(compose({"--config", "broken.json"}),
                  "broken.json, line 3, column 16: syntax error while parsing value - "
                  "unexpected ','; expected '[', '{', or a literal.");

    writeComposition(dir, locale("en"));
    writeLocale(dir, "en", kStrings);
    const Outcome unknownSize = compose({"--config", "store.json", "--size", "iphone-7.1"});
    EXPECT_EQ(unknownSize.status, 1);
    EXPECT_EQ(unknownSize.err.rfind("Error: Unknown store size \"iphone-7.1\". Known sizes: "
                                    "iphone-6.9, iphone-6.9-1290, iphone-6.5, ",
                                    0),
              0u)
        << unknownSize.err;
    expectFailure(compose({"--config", "store.json", "--locale", "fr"}),
                  "store.json has no locale \"fr\". Its locales: en.");

    writeComposition(dir, locale("en"), "No Such Font");
    expectFailure(compose({"--config", "store.json"}),
                  "The font \"No Such Font\" isn't installed.");
    EXPECT_FALSE(fs::exists(dir / "out"));
}

// A failed image is reported as <locale>/<size>/<screen> with its reason;
// the other images are still written, nothing is left of the failed ones,
// and the status is 1.
TEST(Compose, ReportsEachFailedImageAndWritesTheRest) {
    TempDir dir;
    writeLibrary(dir);
    writeComposition(dir,
                     locale("en") + "," + locale("de") + "," + locale("fr") + "," + locale("it"));
    writeLocale(dir, "en", kStrings);
    writeLocale(dir, "de", R"({"home.title": "Jede Aufnahme"})");
    writeLocale(dir, "fr", kStrings);
    writeTestPng(dir / "fr" / "Simulator Screenshot - home.png", drawScreenshot(33, 77));
    writeLocale(dir, "it",
                R"({"home.title": "Ogni cattura, incorniciata in un attimo, sempre, ovunque tu sia",
                               "wide.title": "Largo"})");

    const Outcome outcome = runCadrelle(
        {"compose", "--config", "store.json", "--output", "out", "--library", "library"},
        dir.path());
    EXPECT_EQ(outcome.status, 1);
    std::set<std::string> errors;
    for (const std::string size : {"300x500", "200x400"}) {
        errors.insert("Error: de/" + size +
                      "/wide: de.json: The de strings have no \"wide.title\".");
        errors.insert("Error: fr/" + size + "/home: Import a frame for 33 \u00D7 77 captures.");
        errors.insert("Error: it/" + size +
                      "/home: The it text \"home.title\" doesn't fit the caption even at its "
                      "smallest size.");
    }
    EXPECT_EQ(lines(outcome.err), errors);
    EXPECT_EQ(lines(outcome.out),
              (std::set<std::string>{"out/en/300x500/01-home.png", "out/en/300x500/02-wide.png",
                                     "out/en/200x400/01-home.png", "out/en/200x400/02-wide.png",
                                     "out/de/300x500/01-home.png", "out/de/200x400/01-home.png",
                                     "out/fr/300x500/02-wide.png", "out/fr/200x400/02-wide.png",
                                     "out/it/300x500/02-wide.png", "out/it/200x400/02-wide.png"}));
    for (const std::string locale : {"de", "fr", "it"}) {
        for (const std::string size : {"300x500", "200x400"}) {
            EXPECT_EQ(entriesOf(dir / "out" / locale / size).size(), 1u) << locale << size;
        }
    }
}
