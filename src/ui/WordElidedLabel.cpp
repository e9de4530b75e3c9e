#include "WordElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>

namespace cadrelle {
namespace {

const QString kEllipsis = QStringLiteral("\u2026");

// Whether `text` wrapped at spaces takes at most `lines` lines of `width`
// with no line wider than `width` (a single word may be wider).
bool fits(const QString& text, const QFont& font, int width, int lines) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    int count = 0;
    bool narrowEnough = true;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        narrowEnough = narrowEnough && line.naturalTextWidth() <= width;
        ++count;
    }
    layout.endLayout();
    return narrowEnough && count <= lines;
}

} // namespace

QString wordElidedText(const QString& text, const QFont& font, int width, int lines) {
    if (fits(text, font, width, lines)) {
        return text;
    }
    QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    while (words.size() > 1) {
        words.removeLast();
        const QString shortened = words.join(QLatin1Char(' ')) + kEllipsis;
        if (fits(shortened, font, width, lines)) {
            return shortened;
        }
    }
    return QFontMetrics(font).elidedText(text, Qt::ElideRight, std::max(width, 0));
}

WordElidedLabel::WordElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void WordElidedLabel::setFullText(const QString& text) {
    fullText_ = text;
    setAccessibleName(text);
    fit();
}

QSize WordElidedLabel::minimumSizeHint() const {
    return {0, fontMetrics().height()};
}

void WordElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void WordElidedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fit();
    }
}

void WordElidedLabel::fit() {
    const QRect room = contentsRect();
    const int lines = std::max(1, room.height() / fontMetrics().lineSpacing());
    const QString shown = wordElidedText(fullText_, font(), room.width(), lines);
    setText(shown);
    setToolTip(shown == fullText_ ? QString() : fullText_);
}

} // namespace cadrelle
