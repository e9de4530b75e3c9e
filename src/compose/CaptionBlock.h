#pragma once

#include "compose/Composition.h"

#include <QFont>
#include <QPointF>
#include <QString>
#include <QTextLayout>

#include <memory>

class QPainter;

namespace cadrelle {

// One caption text (a title or subtitle) set in its font at one size and
// wrapped to a width, ready to draw. Text between "**" pairs is set in the
// style's highlight colour. The direction follows the text's first strong
// character, so Arabic and Hebrew read from the right; Qt's text layout shapes
// it with HarfBuzz and falls back through fontconfig for missing characters.
class CaptionBlock {
public:
    CaptionBlock(const QString& markedText, const QFont& font, const TextStyle& style,
                 int pixelSize, double width);

    int lineCount() const { return lines_; }
    // Whether no word runs past the width.
    bool fitsWidth() const { return !overflows_; }
    double height() const { return height_; }

    // Draws the block with its first line's top at `topLeft`.
    void draw(QPainter& painter, QPointF topLeft) const;

private:
    std::unique_ptr<QTextLayout> layout_;
    Rgba color_;
    int lines_ = 0;
    bool overflows_ = false;
    double height_ = 0;
};

// The text with the "**" markers taken out, and the marked ranges.
struct MarkedText {
    QString text;
    QList<QPair<int, int>> highlights; // start, length
};
MarkedText parseMarkedText(const QString& marked);

QColor qColor(Rgba color);

} // namespace cadrelle
