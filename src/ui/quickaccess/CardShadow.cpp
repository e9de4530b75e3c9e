#include "CardShadow.h"

#include "TrayGeometry.h"

#include <QGraphicsBlurEffect>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QPainterPath>

namespace cadrelle {
namespace {

constexpr int kBlur = 10;
constexpr int kOffsetY = 2;
constexpr double kStrength = 0.2;
// Room around the card for the blur to spread into.
constexpr int kMargin = 2 * kBlur;

QPainterPath cardOutline(const QRectF& card) {
    QPainterPath outline;
    outline.addRoundedRect(card, kCardCornerRadius, kCardCornerRadius);
    return outline;
}

} // namespace

const QPixmap& CardShadow::shape(int width, int height) {
    QPixmap& shape = shapes_[{width, height}];
    if (shape.isNull()) {
        // Qt's own blur, by rendering a scene with the card's outline in it.
        QGraphicsScene scene;
        auto* outline =
            scene.addPath(cardOutline(QRectF(0, 0, width, height)), Qt::NoPen, QBrush(Qt::black));
        auto* blur = new QGraphicsBlurEffect;
        blur->setBlurRadius(kBlur);
        blur->setBlurHints(QGraphicsBlurEffect::QualityHint);
        outline->setGraphicsEffect(blur);
        QImage image(width + 2 * kMargin, height + 2 * kMargin,
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        scene.render(&painter, QRectF(image.rect()),
                     QRectF(-kMargin, -kMargin, image.width(), image.height()));
        painter.end();
        shape = QPixmap::fromImage(image);
    }
    return shape;
}

void CardShadow::paint(QPainter& painter, const QRect& card, double opacity) {
    if (opacity <= 0) {
        return;
    }
    const QPixmap& blurred = shape(card.width(), card.height());
    const QPoint at = card.topLeft() + QPoint(-kMargin, kOffsetY - kMargin);
    painter.save();
    if (opacity < 1) {
        QPainterPath around;
        around.addRect(QRectF(at, blurred.size()));
        painter.setClipPath(around.subtracted(cardOutline(card)));
    }
    painter.setOpacity(kStrength * opacity);
    painter.drawPixmap(at, blurred);
    painter.restore();
}

} // namespace cadrelle
