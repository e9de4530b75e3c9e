#include "VideoView.h"

#include <QPainter>
#include <QStyle>

namespace cadrelle {

VideoView::VideoView(bool checkerboard, QWidget* parent)
    : QWidget(parent), checkerboard_(checkerboard) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(64, 64);
}

void VideoView::setFrame(const QImage& frame) {
    frame_ = frame;
    update();
}

QRect VideoView::pictureRect() const {
    if (frame_.isNull()) {
        return {};
    }
    return QStyle::alignedRect(layoutDirection(), Qt::AlignCenter,
                               frame_.size().scaled(contentsRect().size(), Qt::KeepAspectRatio),
                               contentsRect());
}

void VideoView::paintEvent(QPaintEvent*) {
    const QRect target = pictureRect();
    if (target.isEmpty()) {
        return;
    }
    QPainter painter(this);
    if (checkerboard_) {
        // Composed at the screen's own pixel size, so that nothing is scaled twice.
        QImage composed = composer_.compose(frame_, target.size() * devicePixelRatioF());
        composed.setDevicePixelRatio(devicePixelRatioF());
        painter.drawImage(target.topLeft(), composed);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, frame_);
    }
}

} // namespace cadrelle
