#include "FittedImage.h"

namespace cadrelle {

FittedImage::FittedImage(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    // The label takes the room the layout gives it; the picture never
    // widens the window.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setMinimumSize(1, 1);
}

void FittedImage::setPicture(const QPixmap& picture) {
    picture_ = picture;
    fit();
}

void FittedImage::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void FittedImage::fit() {
    if (picture_.isNull()) {
        clear();
        return;
    }
    setPixmap(
        picture_.scaled(contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace cadrelle
