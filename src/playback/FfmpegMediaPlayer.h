#pragma once

#include "MediaPlayer.h"
#include "PlaybackClock.h"
#include "PlaybackWorker.h"
#include "YuvImageScaler.h"
#include "core/CaptureExportControl.h"
#include "core/ClosureMailbox.h"

#include <atomic>
#include <deque>
#include <memory>

class QTimer;

namespace cadrelle {

class AudioPlayback;
class SerialQueue;

// How a FfmpegMediaPlayer is made; tests control its clock and decoder.
struct FfmpegPlayerOptions {
    // The clock's time source, in microseconds.
    PlaybackClock::TimeSource time = PlaybackClock::steadyMicroseconds;
    // Runs on the worker after each decoded picture.
    std::function<void()> afterDecode;
    // Plays the sound where the system has an audio output.
    bool sound = true;
};

// The media player on the FFmpeg libraries. A worker thread reads and
// decodes the movie and keeps a few pictures ready, which a second thread
// converts to the size the view shows them at while the worker decodes the
// next; the main thread shows each when the clock reaches its time and, of
// several due at once, only the latest. When decoding can't keep up (a
// 60-per-second ProRes 4444 movie on two cores), the worker leaves out the
// pictures that would be late by the time they are decoded: the movie plays
// in real time with as many pictures as the cores decode. The clock follows the
// sound where an audio output plays it, else a monotonic clock. No timer
// runs while paused.
class FfmpegMediaPlayer final : public MediaPlayer {
    Q_OBJECT

public:
    explicit FfmpegMediaPlayer(FfmpegPlayerOptions options = {}, QObject* parent = nullptr);
    ~FfmpegMediaPlayer() override;

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
    // What one piece of the worker's work brings back.
    struct Delivery {
        std::optional<std::int64_t> duration; // set once the movie is open
        std::optional<PlaybackPicture> picture;
        std::vector<AudioChunk> audio;
        QString error;
        bool showNow = false; // the picture is shown at once, playing or not
    };
    using Job = std::function<void(PlaybackWorker&, Delivery&)>;

    void post(Job job, bool showNow);
    void delivered(int generation, Delivery& delivery);
    void requestPictures();
    void tick();
    void show(PlaybackPicture picture);
    void reportPosition(bool always);
    void stopPlaying();

    const bool sound_;
    // Cancelled when the player goes, so that a read in progress ends.
    CaptureExportControl stop_;
    PlaybackClock clock_;
    std::unique_ptr<PlaybackWorker> worker_;
    std::unique_ptr<AudioPlayback> audio_;
    ClosureMailbox mailbox_;
    // The generation the worker still works for; work of an older one (queued
    // before a seek) is skipped.
    std::shared_ptr<std::atomic<int>> liveGeneration_;
    std::unique_ptr<SerialQueue> queue_;
    // Converts decoded pictures to the view's size; used on `converting_`.
    YuvImageScaler converter_;
    std::unique_ptr<SerialQueue> converting_;
    QTimer* timer_;

    std::deque<PlaybackPicture> pictures_;
    mutable PlaybackPicture current_;
    mutable YuvImageScaler scaler_;
    mutable QSize wanted_;
    int generation_ = 0;
    int inFlight_ = 0;
    bool opened_ = false;
    bool failed_ = false;
    bool ended_ = false;
    bool playing_ = false;
    std::int64_t duration_ = 0;
    qint64 reported_ = -1;
};

} // namespace cadrelle
