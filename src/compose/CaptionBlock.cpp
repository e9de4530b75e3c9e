#include "CaptionBlock.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextCharFormat>
#include <QTextOption>

namespace cadrelle {

namespace {

// The alignment on the page: leading and trailing are the sides where the
// text's lines begin and end, so right-to-left text leads from the right.
Qt::Alignment alignmentFor(TextStyle::Alignment alignment, bool rightToLeft) {
    const Qt::Alignment start = rightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    const Qt::Alignment end = rightToLeft ? Qt::AlignLeft : Qt::AlignRight;
    switch (alignment) {
    case TextStyle::Alignment::center:
        return Qt::AlignHCenter;
    case TextStyle::Alignment::leading:
        return start | Qt::AlignAbsolute;
    case TextStyle::Alignment::trailing:
        return end | Qt::AlignAbsolute;
    case TextStyle::Alignment::left:
        return Qt::AlignLeft | Qt::AlignAbsolute;
    case TextStyle::Alignment::right:
        return Qt::AlignRight | Qt::AlignAbsolute;
    }
    return Qt::AlignHCenter;
}

} // namespace

QColor qColor(Rgba color) {
    return QColor(static_cast<int>(color >> 24), static_cast<int>(color >> 16 & 0xFF),
                  static_cast<int>(color >> 8 & 0xFF), static_cast<int>(color & 0xFF));
}

MarkedText parseMarkedText(const QString& marked) {
    MarkedText result;
    const QString marker = QStringLiteral("**");
    qsizetype from = 0;
    bool highlighted = false;
    while (from <= marked.size()) {
        qsizetype next = marked.indexOf(marker, from);
        const bool last = next < 0;
        if (last) {
            next = marked.size();
        }
        const QString part = marked.mid(from, next - from);
        if (highlighted && !part.isEmpty()) {
            result.highlights.append(
                {static_cast<int>(result.text.size()), static_cast<int>(part.size())});
        }
        result.text += part;
        if (last) {
            break;
        }
        highlighted = !highlighted;
        from = next + marker.size();
    }
    return result;
}

CaptionBlock::CaptionBlock(const QString& markedText, const QFont& baseFont, const TextStyle& style,
                           int pixelSize, double width)
    : layout_(std::make_unique<QTextLayout>()), color_(style.color) {
    const MarkedText marked = parseMarkedText(markedText);
    QFont font = baseFont;
    font.setPixelSize(pixelSize);
    font.setWeight(static_cast<QFont::Weight>(style.weight));
    // Glyphs snapped to the pixel grid: crisp at any size, and they compress
    // better than freely placed ones.
    font.setHintingPreference(QFont::PreferFullHinting);
    layout_->setText(marked.text);
    layout_->setFont(font);
    const bool rightToLeft = marked.text.isRightToLeft();
    QTextOption option(alignmentFor(style.alignment, rightToLeft));
    option.setWrapMode(QTextOption::WordWrap);
    option.setTextDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    layout_->setTextOption(option);
    QList<QTextLayout::FormatRange> formats;
    for (const auto& [start, length] : marked.highlights) {
        QTextLayout::FormatRange range;
        range.start = start;
        range.length = length;
        range.format.setForeground(qColor(style.highlightColor));
        formats.append(range);
    }
    layout_->setFormats(formats);

    const double advance = QFontMetricsF(font).height() * style.lineSpacing;
    layout_->beginLayout();
    double y = 0;
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        overflows_ = overflows_ || line.naturalTextWidth() > width + 0.5;
        height_ = y + line.height();
        y += advance;
        ++lines_;
    }
    layout_->endLayout();
}

void CaptionBlock::draw(QPainter& painter, QPointF topLeft) const {
    painter.setPen(qColor(color_));
    layout_->draw(&painter, topLeft);
}

} // namespace cadrelle
