#pragma once

#include "MediaPlayer.h"
#include "YuvImageScaler.h"

#include <QVideoFrame>

class QMediaPlayer;
class QVideoSink;

namespace cadrelle {

// The media player on Qt Multimedia, with its GStreamer backend unless the
// user chose another: that backend keeps the alpha channel of ProRes 4444.
// Sound plays only where the system has an audio output.
class QtMediaPlayer final : public MediaPlayer {
    Q_OBJECT

public:
    explicit QtMediaPlayer(QObject* parent = nullptr);

    void load(const QString& path) override;
    void play() override;
    void pause() override;
    void setPosition(qint64 position) override;

    qint64 position() const override;
    qint64 duration() const override;
    bool isPlaying() const override;
    QSize frameSize() const override;
    QImage frame(QSize size) const override;

private:
    QMediaPlayer* player_;
    QVideoSink* sink_;
    QVideoFrame frame_;
    // Kept between pictures, which share their sizes.
    mutable YuvImageScaler scaler_;
};

} // namespace cadrelle
