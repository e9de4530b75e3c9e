#include "LabelStyle.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>

namespace cadrelle {

void setSecondary(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    palette.setColor(QPalette::Text, palette.color(QPalette::PlaceholderText));
    widget.setPalette(palette);
}

void setFontPoints(QWidget& widget, qreal points, QFont::Weight weight) {
    constexpr qreal kBodyPoints = 13.0;
    QFont font = widget.font();
    font.setPointSizeF(QApplication::font().pointSizeF() * points / kBodyPoints);
    font.setWeight(weight);
    widget.setFont(font);
}

QLabel* wrappedLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* iconLabel(const QIcon& icon, int size) {
    auto* label = new QLabel;
    label->setPixmap(icon.pixmap(size, size));
    label->setFixedSize(size, size);
    return label;
}

} // namespace cadrelle
