#include "DeviceArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace cadrelle::artwork {

namespace {

const QColor kGlass(7, 7, 9);
const QColor kLens(16, 24, 44);

// How far the buttons stand out of the body; the picture has this margin on
// every side.
int buttonDepth(const DeviceDesign& design) {
    return std::max(4, static_cast<int>(std::lround(design.pointScale * 2.6)));
}

QRectF bodyRect(const DeviceDesign& design) {
    const double margin = buttonDepth(design);
    const double width = design.screenWidth + 2.0 * (design.sideBezel + design.band);
    const double height =
        design.screenHeight + design.topBezel + design.bottomBezel + 2.0 * design.band;
    return {margin, margin, width, height};
}

// Concentric with the screen's corners where the screen is rounded; a
// home-button phone has square screen corners in a well-rounded body.
double bodyRadius(const DeviceDesign& design) {
    if (design.cutout == ScreenCutout::homeButton) {
        return design.pointScale * 48;
    }
    return design.screenRadius + std::min(design.sideBezel, design.topBezel) + design.band;
}

void drawButton(QPainter& painter, const DeviceDesign& design, const QRectF& rect) {
    const QColor base = design.finish.body;
    QLinearGradient shade(rect.topLeft(),
                          rect.width() > rect.height() ? rect.bottomLeft() : rect.topRight());
    shade.setColorAt(0, base.darker(125));
    shade.setColorAt(0.5, base.lighter(104));
    shade.setColorAt(1, base.darker(125));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    const double radius = std::min(rect.width(), rect.height()) * 0.45;
    painter.drawRoundedRect(rect, radius, radius);
}

// A button on the left or right edge, from `from` to `to` as fractions of
// the body's height; it reaches under the body so only its outer part shows.
void sideButton(QPainter& painter, const DeviceDesign& design, bool right, double from, double to) {
    const QRectF body = bodyRect(design);
    const double depth = buttonDepth(design);
    const double x = right ? body.right() - design.band : body.left() - depth;
    const QRectF rect(x, body.top() + body.height() * from, depth + design.band,
                      body.height() * (to - from));
    drawButton(painter, design, rect);
}

void topButton(QPainter& painter, const DeviceDesign& design, double from, double to) {
    const QRectF body = bodyRect(design);
    const double depth = buttonDepth(design);
    const QRectF rect(body.left() + body.width() * from, body.top() - depth,
                      body.width() * (to - from), depth + design.band);
    drawButton(painter, design, rect);
}

void drawButtons(QPainter& painter, const DeviceDesign& design) {
    switch (design.buttons) {
    case ButtonLayout::phoneWithCameraControl:
        sideButton(painter, design, true, 0.565, 0.625);
        [[fallthrough]];
    case ButtonLayout::phone:
        sideButton(painter, design, false, 0.170, 0.205);
        sideButton(painter, design, false, 0.250, 0.310);
        sideButton(painter, design, false, 0.330, 0.390);
        sideButton(painter, design, true, 0.255, 0.360);
        break;
    case ButtonLayout::classicPhone:
        sideButton(painter, design, false, 0.140, 0.170);
        sideButton(painter, design, false, 0.215, 0.265);
        sideButton(painter, design, false, 0.290, 0.340);
        sideButton(painter, design, true, 0.215, 0.285);
        break;
    case ButtonLayout::tablet:
        topButton(painter, design, 0.78, 0.86);
        sideButton(painter, design, true, 0.085, 0.135);
        sideButton(painter, design, true, 0.150, 0.200);
        break;
    }
}

// The metal band in the finish's colour with a lighter rim along its outer
// edge and a dark seam where it meets the glass, then the black glass.
void drawBody(QPainter& painter, const DeviceDesign& design) {
    const QRectF body = bodyRect(design);
    const double radius = bodyRadius(design);
    const QColor base = design.finish.body;

    QLinearGradient metal(body.topLeft(), body.bottomRight());
    metal.setColorAt(0, base.lighter(112));
    metal.setColorAt(0.45, base);
    metal.setColorAt(1, base.darker(112));
    painter.setPen(Qt::NoPen);
    painter.setBrush(metal);
    painter.drawRoundedRect(body, radius, radius);

    const double rim = std::max(2.0, design.band * 0.2);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(design.finish.rim, rim));
    const double inset = rim / 2;
    painter.drawRoundedRect(body.adjusted(inset, inset, -inset, -inset), radius - inset,
                            radius - inset);

    const double band = design.band;
    const QRectF glass = body.adjusted(band, band, -band, -band);
    painter.setPen(QPen(base.darker(170), std::max(1.5, band * 0.12)));
    painter.setBrush(kGlass);
    painter.drawRoundedRect(glass, radius - band, radius - band);
}

void cutOpening(QPainter& painter, const DeviceDesign& design) {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const QRectF screen = screenRect(design);
    if (design.screenRadius > 0) {
        painter.drawRoundedRect(screen, design.screenRadius, design.screenRadius);
    } else {
        painter.drawRect(screen);
    }
    painter.restore();
}

void drawLens(QPainter& painter, QPointF centre, double radius) {
    QRadialGradient glass(centre, radius, centre - QPointF(radius * 0.3, radius * 0.3));
    glass.setColorAt(0, kLens.lighter(180));
    glass.setColorAt(0.5, kLens);
    glass.setColorAt(1, QColor(4, 5, 8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawEllipse(centre, radius, radius);
}

void drawIsland(QPainter& painter, const DeviceDesign& design) {
    const QRectF screen = screenRect(design);
    const double s = design.pointScale;
    const double width = 125 * s;
    const double height = 37 * s;
    const QRectF pill(screen.center().x() - width / 2, screen.top() + 11 * s, width, height);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(pill, height / 2, height / 2);
    drawLens(painter, QPointF(pill.right() - height / 2, pill.center().y()), height * 0.24);
}

void drawNotch(QPainter& painter, const DeviceDesign& design) {
    const QRectF screen = screenRect(design);
    const double s = design.pointScale;
    const double left = screen.center().x() - 81 * s;
    const double right = screen.center().x() + 81 * s;
    const double top = screen.top();
    const double bottom = top + 33 * s;
    const double fillet = 6 * s; // the concave curve where the notch meets the screen edge
    const double corner = 20 * s;

    QPainterPath notch;
    notch.moveTo(left - fillet, top - 2);
    notch.lineTo(left - fillet, top);
    notch.quadTo(left, top, left, top + fillet);
    notch.lineTo(left, bottom - corner);
    notch.quadTo(left, bottom, left + corner, bottom);
    notch.lineTo(right - corner, bottom);
    notch.quadTo(right, bottom, right, bottom - corner);
    notch.lineTo(right, top + fillet);
    notch.quadTo(right, top, right + fillet, top);
    notch.lineTo(right + fillet, top - 2);
    notch.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGlass);
    painter.drawPath(notch);

    const QRectF speaker(screen.center().x() - 26 * s, top + 4 * s, 52 * s, 5 * s);
    painter.setBrush(QColor(26, 26, 30));
    painter.drawRoundedRect(speaker, 2.5 * s, 2.5 * s);
    drawLens(painter, QPointF(screen.center().x() + 44 * s, top + 13 * s), 4.5 * s);
}

void drawHomeButtonBezels(QPainter& painter, const DeviceDesign& design) {
    const QRectF screen = screenRect(design);
    const double s = design.pointScale;
    const double cx = screen.center().x();
    const double topMiddle = screen.top() - design.topBezel / 2.0;

    const QRectF speaker(cx - 23 * s, topMiddle - 3 * s, 46 * s, 6 * s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 30, 34));
    painter.drawRoundedRect(speaker, 3 * s, 3 * s);
    drawLens(painter, QPointF(cx, topMiddle - 18 * s), 4.5 * s);

    const QPointF button(cx, screen.bottom() + design.bottomBezel / 2.0);
    const double radius = 27 * s;
    painter.setPen(QPen(QColor(58, 58, 64), 1.6 * s));
    painter.setBrush(QColor(12, 12, 14));
    painter.drawEllipse(button, radius, radius);
}

void drawTabletCamera(QPainter& painter, const DeviceDesign& design) {
    const QRectF screen = screenRect(design);
    const QPointF centre =
        design.cameraOnLongEdge
            ? QPointF(screen.right() + design.sideBezel / 2.0, screen.center().y())
            : QPointF(screen.center().x(), screen.top() - design.topBezel / 2.0);
    drawLens(painter, centre, 4 * design.pointScale);
}

} // namespace

QSize canvasSize(const DeviceDesign& design) {
    const QRectF body = bodyRect(design);
    const int margin = buttonDepth(design);
    return {static_cast<int>(body.width()) + 2 * margin,
            static_cast<int>(body.height()) + 2 * margin};
}

QRect screenRect(const DeviceDesign& design) {
    const int margin = buttonDepth(design);
    return {margin + design.band + design.sideBezel, margin + design.band + design.topBezel,
            design.screenWidth, design.screenHeight};
}

QImage drawDevice(const DeviceDesign& design, bool landscape) {
    QImage image(canvasSize(design), QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawButtons(painter, design);
        drawBody(painter, design);
        cutOpening(painter, design);
        switch (design.cutout) {
        case ScreenCutout::island:
            drawIsland(painter, design);
            break;
        case ScreenCutout::notch:
            drawNotch(painter, design);
            break;
        case ScreenCutout::homeButton:
            drawHomeButtonBezels(painter, design);
            break;
        case ScreenCutout::none:
            drawTabletCamera(painter, design);
            break;
        }
    }
    return landscape ? turnedAnticlockwise(image) : image;
}

QImage turnedAnticlockwise(const QImage& image) {
    const QImage source = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const int width = source.width();
    const int height = source.height();
    QImage turned(height, width, QImage::Format_RGBA8888_Premultiplied);
    // Pixel (x, y) moves to (y, width - 1 - x): the top edge becomes the left edge.
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const quint32*>(source.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            reinterpret_cast<quint32*>(turned.scanLine(width - 1 - x))[y] = row[x];
        }
    }
    return turned;
}

} // namespace cadrelle::artwork
