#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>
#include <optional>
#include <string>

namespace cadrelle::artwork {

// What fills a screenshot besides its text and controls, from the easiest to
// the hardest to compress.
enum class ScreenshotKind {
    flat,  // solid backgrounds and solid colour cards
    photo, // photos with gradients and grain on a light gradient
    noise, // everything over a full-screen grainy gradient wallpaper
};

// "flat", "photo" or "noise"; nothing for any other name.
std::optional<ScreenshotKind> screenshotKindNamed(const std::string& name);

// Draws an opaque picture that looks like a phone or tablet app screenshot:
// status bar, large title, search field, a large picture and two rows of
// small ones, rows of text and a tab bar. The same size, seed and kind give
// the same picture on one machine. Text needs a QGuiApplication.
QImage drawScreenshot(QSize size, std::uint32_t seed, ScreenshotKind kind = ScreenshotKind::photo);

} // namespace cadrelle::artwork
