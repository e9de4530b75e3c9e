#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>

namespace cadrelle::artwork {

// Draws an opaque picture that looks like a phone or tablet app screenshot:
// status bar, large title, search field, photos with gradients and grain,
// rows of text and a tab bar. The same size and seed give the same picture
// on one machine. Text needs a QGuiApplication.
QImage drawScreenshot(QSize size, std::uint32_t seed);

} // namespace cadrelle::artwork
