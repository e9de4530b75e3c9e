#include "QtMediaPlayer.h"

#include "ScaledAyuvImage.h"
#include "video/WhyUnplayable.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

namespace cadrelle {
namespace {

// Qt reads the backend's name when it makes its first player.
QMediaPlayer* makePlayer(QObject* parent) {
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND")) {
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    }
    return new QMediaPlayer(parent);
}

} // namespace

QtMediaPlayer::QtMediaPlayer(QObject* parent)
    : MediaPlayer(parent), player_(makePlayer(this)), sink_(new QVideoSink(this)) {
    player_->setVideoSink(sink_);
    // Without an output device (a headless session) the movie plays silently.
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        player_->setAudioOutput(new QAudioOutput(this));
    }
    // The sink may report from the backend's own thread; `this` as context
    // brings the pictures to the main thread.
    connect(sink_, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
        if (frame.isValid()) {
            frame_ = frame;
            emit frameChanged();
        }
    });
    connect(player_, &QMediaPlayer::positionChanged, this, &MediaPlayer::positionChanged);
    connect(player_, &QMediaPlayer::durationChanged, this, &MediaPlayer::durationChanged);
    connect(player_, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) {
                emit playingChanged(state == QMediaPlayer::PlayingState);
            });
    connect(player_, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& reason) { emit failed(reason); });
}

void QtMediaPlayer::load(const QString& path) {
    // A damaged file is turned away before the backend sees it: its own
    // report of such a file can be lost when the machine is busy, leaving
    // the preview waiting for good.
    if (const auto reason = whyUnplayable(path.toStdString())) {
        emit failed(QString::fromStdString(*reason));
        return;
    }
    player_->setSource(QUrl::fromLocalFile(path));
    // Pausing a stopped player prepares the first picture and shows it.
    player_->pause();
}

void QtMediaPlayer::play() {
    player_->play();
}

void QtMediaPlayer::pause() {
    player_->pause();
}

void QtMediaPlayer::setPosition(qint64 position) {
    player_->setPosition(position);
}

qint64 QtMediaPlayer::position() const {
    return player_->position();
}

qint64 QtMediaPlayer::duration() const {
    return player_->duration();
}

bool QtMediaPlayer::isPlaying() const {
    return player_->playbackState() == QMediaPlayer::PlayingState;
}

QSize QtMediaPlayer::frameSize() const {
    return frame_.size();
}

QImage QtMediaPlayer::frame(QSize size) const {
    QVideoFrame mapped = frame_;
    const auto format = mapped.surfaceFormat();
    const auto layout = format.pixelFormat();
    // Transparent movies arrive as packed AYUV, MP4s as 4:2:0: both are
    // converted straight to the shown size. Other layouts go through Qt's
    // converter at full size.
    const bool direct = layout == QVideoFrameFormat::Format_AYUV ||
                        layout == QVideoFrameFormat::Format_YUV420P ||
                        layout == QVideoFrameFormat::Format_NV12;
    if (!direct || !mapped.map(QVideoFrame::ReadOnly)) {
        return mapped.toImage().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const YuvMatrix matrix{format.colorSpace() == QVideoFrameFormat::ColorSpace_BT601,
                           format.colorRange() == QVideoFrameFormat::ColorRange_Full};
    QImage image;
    if (layout == QVideoFrameFormat::Format_AYUV) {
        image =
            scaledAyuvImage(mapped.bits(0), mapped.bytesPerLine(0), mapped.size(), size, matrix);
    } else {
        const uchar* planes[3] = {mapped.bits(0), mapped.bits(1), mapped.bits(2)};
        const int bytesPerLine[3] = {mapped.bytesPerLine(0), mapped.bytesPerLine(1),
                                     mapped.bytesPerLine(2)};
        image = scaler_.scale(planes, bytesPerLine,
                              layout == QVideoFrameFormat::Format_NV12 ? ChromaPlanes::interleaved
                                                                       : ChromaPlanes::separate,
                              mapped.size(), size, matrix);
    }
    mapped.unmap();
    return image;
}

} // namespace cadrelle
