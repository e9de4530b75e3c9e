#pragma once

#include "playback/MediaPlayer.h"

#include <QWidget>

#include <memory>

class QLabel;
class QToolButton;

namespace cadrelle {

class SeekSlider;
class VideoView;

// "m:ss / m:ss": how far playback is, and how long the movie lasts.
QString playbackTimeText(qint64 position, qint64 duration);

// Plays one framed recording with its own controls: a play/pause button, a
// position slider and the time. The picture keeps its proportions; a MOV's
// transparent areas show a checkerboard. It never starts by itself, and it
// pauses when it is hidden and when it goes away. A file that can't be played
// shows a sentence saying so in place of the picture, and the controls are
// disabled.
class RecordingPreview final : public QWidget {
    Q_OBJECT

public:
    RecordingPreview(const QString& path, std::unique_ptr<MediaPlayer> player,
                     QWidget* parent = nullptr);
    ~RecordingPreview() override;

    const QString& path() const { return path_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void showPlaying(bool playing);
    void showTime();
    void showFailure(const QString& reason);

    const QString path_;
    std::unique_ptr<MediaPlayer> player_;
    VideoView* view_;
    QWidget* failure_;
    QLabel* reason_;
    QToolButton* playPause_;
    SeekSlider* slider_;
    QLabel* time_;
};

} // namespace cadrelle
