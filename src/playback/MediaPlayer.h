#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

namespace cadrelle {

// Plays one recording and hands out its pictures; the preview draws them and
// offers the controls. One player is made per file. Times are milliseconds.
class MediaPlayer : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens the file at `path` and shows its first picture without playing.
    virtual void load(const QString& path) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void setPosition(qint64 position) = 0;

    virtual qint64 position() const = 0;
    virtual qint64 duration() const = 0;
    virtual bool isPlaying() const = 0;

    // The size of the picture to show now; empty before the first one.
    virtual QSize frameSize() const = 0;
    // That picture scaled to `size`. Pictures are converted only when asked
    // for, so those that come faster than they are drawn cost nothing.
    virtual QImage frame(QSize size) const = 0;

signals:
    void frameChanged();
    void positionChanged(qint64 position);
    void durationChanged(qint64 duration);
    void playingChanged(bool playing);
    // The file can't be played: it is damaged, of a kind no installed
    // decoder reads, or playback broke off. `reason` is the player's own
    // description.
    void failed(const QString& reason);
};

using MediaPlayerFactory = std::function<std::unique_ptr<MediaPlayer>()>;

// The player recordings play in. It comes from the playback module, which
// holds the decoding libraries and is loaded on the first call (programs that
// build the player in, the tests, make it directly). When the module can't be
// loaded, the player fails on load() saying why.
std::unique_ptr<MediaPlayer> makeMediaPlayer();

} // namespace cadrelle
