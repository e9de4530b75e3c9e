#include "compose/CompositionReader.h"
#include "compose/StoreImageRenderer.h"
#include "core/AppError.h"
#include "support/TempDir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>

using namespace cadrelle;
using namespace cadrelle::test;

namespace {

// A composition of one 600 × 1000 size with the given background and caption
// fields, its device in a box 0.8 × 0.6 of the canvas, 0.05 from the bottom.
Composition composition(const TempDir& dir, const std::string& background,
                        const std::string& caption) {
    writeText(dir / "store.json",
              R"({"sizes": ["600x1000"], "background": )" + background + R"(, "caption": )" +
                  caption +
                  R"(, "device": {"height": 0.6, "width": 0.8, "margin": 0.05, "gap": 0.03},
                    "screens": [{"name": "home", "capture": "*.png", "title": "t"}],
                    "locales": {"en": {"strings": "en.json", "captures": "."}}})");
    return readComposition(dir / "store.json");
}

// A framed capture: green, with transparent corners as a device's are.
QImage greenDevice(int width, int height) {
    QImage device(width, height, QImage::Format_ARGB32_Premultiplied);
    device.fill(QColor(0, 255, 0));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (const QPoint corner :
                 {QPoint(x, y), QPoint(width - 1 - x, y), QPoint(x, height - 1 - y),
                  QPoint(width - 1 - x, height - 1 - y)}) {
                device.setPixel(corner, 0);
            }
        }
    }
    return device;
}

CaptionTexts texts(const QString& title, const QString& subtitle = {}) {
    return {"en", "t", title, "s", subtitle};
}

// The smallest rectangle holding every pixel for which `is` holds; null
// when there is none.
QRect boundsOf(const QImage& image, const std::function<bool(QColor)>& is) {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (is(image.pixelColor(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

bool isGreen(QColor c) {
    return c.green() > 200 && c.red() < 60 && c.blue() < 60;
}
// Caption ink over a background without green: the white title or its
// yellow highlight, antialiased edges included.
bool isInk(QColor c) {
    return c.green() > 100 && !isGreen(c);
}
bool isWhite(QColor c) {
    return c.red() > 200 && c.green() > 200 && c.blue() > 200;
}
bool isYellow(QColor c) {
    return c.red() > 200 && c.green() > 200 && c.blue() < 80;
}

void expectColorNear(QColor actual, QColor expected, int tolerance, const std::string& where) {
    EXPECT_NEAR(actual.red(), expected.red(), tolerance) << where;
    EXPECT_NEAR(actual.green(), expected.green(), tolerance) << where;
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance) << where;
}

const char* const kBlack = R"({"color": "#000000"})";

} // namespace

// What a person looks at first: the canvas of exactly the size, opaque; the
// gradient from its first colour at the top to its last at the bottom; the
// device scaled into its box against the caption's side and centred; the
// caption above it, its marked word in the highlight colour.
TEST(StoreImage, PutsBackgroundDeviceAndCaptionWhereTheCompositionSays) {
    TempDir dir;
    const StoreImageRenderer renderer(
        composition(dir, R"({"gradient": {"angle": 180, "stops": ["#FF0000", "#0000FF"]}})",
                    R"({"margin": 0.05, "width": 0.9, "title": {"size": 0.04, "color": "#FFFFFF",
             "highlightColor": "#FFFF00"}, "subtitle": {"size": 0.025, "color": "#FFFFFF"}})"));
    const QImage image = renderer.render(
        storeSizeNamed("600x1000"), greenDevice(200, 400),
        texts(QStringLiteral("Frame **every** capture"), QStringLiteral("Second line")));

    EXPECT_EQ(image.size(), QSize(600, 1000));
    EXPECT_FALSE(image.hasAlphaChannel());
    expectColorNear(image.pixelColor(0, 0), QColor(255, 0, 0), 2, "top left");
    expectColorNear(image.pixelColor(599, 0), QColor(255, 0, 0), 2, "top right");
    expectColorNear(image.pixelColor(0, 999), QColor(0, 0, 255), 2, "bottom left");
    expectColorNear(image.pixelColor(2, 500), QColor(128, 0, 128), 3, "halfway down");
    expectColorNear(image.pixelColor(597, 750), QColor(64, 0, 191), 3, "three quarters down");

    // The box is 480 × 600 from y 350; the 1 : 2 device fits it at 300 × 600.
    const QRect device = boundsOf(image, isGreen);
    EXPECT_NEAR(device.left(), 150, 1);
    EXPECT_NEAR(device.right(), 449, 1);
    EXPECT_NEAR(device.top(), 350, 1);
    EXPECT_NEAR(device.bottom(), 949, 1);

    // The caption stays in its region: 50 from the top, 30 above the box,
    // 30 in from the sides.
    const QRect ink = boundsOf(image, isInk);
    EXPECT_GE(ink.top(), 50);
    EXPECT_LE(ink.bottom(), 320);
    EXPECT_GE(ink.left(), 30);
    EXPECT_LE(ink.right(), 569);
    EXPECT_FALSE(ink.intersects(device));
    // "every" sits inside the title, in yellow; the rest is white.
    const QRect white = boundsOf(image, isWhite);
    const QRect yellow = boundsOf(image, isYellow);
    ASSERT_FALSE(yellow.isNull());
    EXPECT_GT(yellow.left(), white.left() + 40);
    EXPECT_LT(yellow.right(), white.right() - 40);
    EXPECT_LT(yellow.bottom(), white.bottom()) << "the subtitle is below the title";
}

// Right-to-left text starts at the right: with the natural alignment a Hebrew
// caption ends at the right edge of the caption, and its first word (marked)
// is the rightmost. English mirrors both.
TEST(StoreImage, SetsRightToLeftCaptionsFromTheRightInReadingOrder) {
    TempDir dir;
    const StoreImageRenderer renderer(
        composition(dir, kBlack,
                    R"({"width": 0.9, "title": {"alignment": "leading", "color": "#FFFFFF",
                       "highlightColor": "#FFFF00"}})"));
    const StoreSize size = storeSizeNamed("600x1000");
    const QImage hebrew =
        renderer.render(size, greenDevice(200, 400), texts(QStringLiteral("**שלום** עולם")));
    const QRect hebrewInk = boundsOf(hebrew, isInk);
    EXPECT_GT(hebrewInk.right(), 560);
    EXPECT_GT(hebrewInk.left(), 300);
    EXPECT_GT(boundsOf(hebrew, isYellow).left(), boundsOf(hebrew, isWhite).right());

    const QImage english =
        renderer.render(size, greenDevice(200, 400), texts(QStringLiteral("**Hello** world")));
    const QRect englishInk = boundsOf(english, isInk);
    EXPECT_LT(englishInk.left(), 40);
    EXPECT_LT(englishInk.right(), 300);
    EXPECT_LT(boundsOf(english, isYellow).right(), boundsOf(english, isWhite).left());
}

// A title longer than its lines allow is set smaller, down to its smallest
// size; past that, the error names the text and the locale.
TEST(StoreImage, ShrinksLongTitlesToFitAndRefusesWhatNeverFits) {
    TempDir dir;
    const auto renderer = [&dir](const std::string& minimum) {
        return StoreImageRenderer(
            composition(dir, kBlack,
                        R"({"width": 0.9, "title": {"size": 0.05, "minimumSize": )" + minimum +
                            R"(, "maxLines": 1, "color": "#FFFFFF"}})"));
    };
    const StoreSize size = storeSizeNamed("600x1000");
    const QString longTitle = QStringLiteral("Everything you capture, framed");
    const QRect shortInk = boundsOf(
        renderer("0.02").render(size, greenDevice(200, 400), texts(QStringLiteral("HI"))), isInk);
    const QRect longInk =
        boundsOf(renderer("0.02").render(size, greenDevice(200, 400), texts(longTitle)), isInk);
    EXPECT_GE(longInk.left(), 30);
    EXPECT_LE(longInk.right(), 569);
    // One line of smaller capitals: shorter than the unshrunk "HI".
    EXPECT_LT(longInk.height(), shortInk.height());

    try {
        renderer("0.05").render(size, greenDevice(200, 400), texts(longTitle));
        FAIL() << "a title that never fits was drawn";
    } catch (const AppError& error) {
        EXPECT_EQ(error.message(),
                  "The en text \"t\" doesn't fit the caption even at its smallest size.");
    }
}
