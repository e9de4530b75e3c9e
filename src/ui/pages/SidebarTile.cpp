#include "SidebarTile.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace cadrelle {
namespace {

constexpr int kTileSize = 28;
constexpr int kSymbolSize = 16;
constexpr qreal kCornerRadius = 7.0;

// The symbol's shape in white, whatever colours it was drawn in.
QPixmap whiteSymbol(const QIcon& symbol, qreal scale) {
    QPixmap shape = symbol.pixmap(QSize(kSymbolSize, kSymbolSize), scale);
    QPainter painter(&shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(shape.rect(), Qt::white);
    return shape;
}

QPixmap tile(const QIcon& symbol, const QColor& colour, qreal scale) {
    QPixmap pixmap(QSize(kTileSize, kTileSize) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, kTileSize);
    gradient.setColorAt(0, colour.lighter(125));
    gradient.setColorAt(1, colour);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(0, 0, kTileSize, kTileSize), kCornerRadius, kCornerRadius);
    constexpr int inset = (kTileSize - kSymbolSize) / 2;
    painter.drawPixmap(QRect(inset, inset, kSymbolSize, kSymbolSize), whiteSymbol(symbol, scale));
    return pixmap;
}

} // namespace

QIcon sidebarTile(const QIcon& symbol, const QColor& colour) {
    QIcon icon;
    // The selected row shows the tile as it is: left to itself the style
    // would tint it with the selection colour.
    for (const qreal scale : {1.0, 2.0}) {
        const QPixmap pixmap = tile(symbol, colour, scale);
        icon.addPixmap(pixmap, QIcon::Normal);
        icon.addPixmap(pixmap, QIcon::Selected);
    }
    return icon;
}

} // namespace cadrelle
