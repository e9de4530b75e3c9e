#include "VideoView.h"

#include "playback/MediaPlayer.h"

#include <QPainter>
#include <QStyle>

namespace cadrelle {

VideoView::VideoView(const MediaPlayer& player, bool checkerboard, QWidget* parent)
    : QWidget(parent), player_(player), checkerboard_(checkerboard) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(64, 64);
    connect(&player, &MediaPlayer::frameChanged, this, qOverload<>(&QWidget::update));
}

QRect VideoView::pictureRect() const {
    const QSize size = player_.frameSize();
    if (size.isEmpty()) {
        return {};
    }
    return QStyle::alignedRect(layoutDirection(), Qt::AlignCenter,
                               size.scaled(contentsRect().size(), Qt::KeepAspectRatio),
                               contentsRect());
}

void VideoView::paintEvent(QPaintEvent*) {
    const QRect target = pictureRect();
    if (target.isEmpty()) {
        return;
    }
    // Made at the screen's own pixel size, so that nothing is scaled twice.
    const double ratio = devicePixelRatioF();
    QImage picture = player_.frame(target.size() * ratio);
    if (checkerboard_) {
        picture = composer_.compose(picture, ratio * target.width() / player_.frameSize().width());
    }
    picture.setDevicePixelRatio(ratio);
    QPainter(this).drawImage(target.topLeft(), picture);
}

} // namespace cadrelle
