#include "ElidedLabel.h"

#include <QFontMetrics>

namespace cadrelle {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString& text) {
    fullText_ = text;
    setToolTip(text);
    setAccessibleName(text);
    elide();
    updateGeometry();
}

QSize ElidedLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const {
    return {fontMetrics().horizontalAdvance(fullText_), QLabel::sizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    elide();
}

void ElidedLabel::elide() {
    // A label not on screen has not been laid out, so its width means
    // nothing yet: it keeps the whole text until it is shown.
    setText(isVisible()
                ? fontMetrics().elidedText(fullText_, Qt::ElideMiddle, contentsRect().width())
                : fullText_);
}

} // namespace cadrelle
