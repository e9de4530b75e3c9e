#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

namespace cadrelle::artwork {

// What sits in or beside the top of the screen.
enum class ScreenCutout {
    none,       // an even bezel with a small front camera in it
    island,     // an opaque pill floating inside the top of the opening
    notch,      // a cut-out joined to the top edge of the opening
    homeButton, // thick top and bottom bezels: earpiece and camera above, a round button below
};

// Where the hardware buttons sit on the body's edges.
enum class ButtonLayout {
    phone,                  // action button and volume on the left, side button on the right
    phoneWithCameraControl, // the same plus a camera control low on the right
    classicPhone,           // ring switch and volume on the left, side button on the right
    tablet,                 // top button on the top edge, volume on the right edge
};

struct Finish {
    QColor body; // the metal band and the buttons
    QColor rim;  // the thin highlight along the outer edge
};

// A front-facing device, described in portrait pixels.
struct DeviceDesign {
    int screenWidth = 0;
    int screenHeight = 0;
    int sideBezel = 0;   // black glass left and right of the screen
    int topBezel = 0;    // black glass above the screen
    int bottomBezel = 0; // black glass below the screen
    int band = 0;        // the metal edge around the glass
    double screenRadius = 0;
    double pointScale = 3; // pixels per point: sizes the island, notch, camera and buttons
    ScreenCutout cutout = ScreenCutout::none;
    ButtonLayout buttons = ButtonLayout::phone;
    bool cameraOnLongEdge = false; // a tablet camera in the right bezel (the top in landscape)
    Finish finish;
};

// The whole picture's size and the opening inside it, in portrait.
QSize canvasSize(const DeviceDesign& design);
QRect screenRect(const DeviceDesign& design);

// Draws the device, anti-aliased, transparent outside the body and in the
// opening. Landscape is the portrait picture turned a quarter turn
// anticlockwise, so the top of the device is on the left. The result is
// premultiplied RGBA8888.
QImage drawDevice(const DeviceDesign& design, bool landscape);

// The picture turned a quarter turn anticlockwise, pixel for pixel.
QImage turnedAnticlockwise(const QImage& image);

} // namespace cadrelle::artwork
