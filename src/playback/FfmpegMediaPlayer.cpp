#include "FfmpegMediaPlayer.h"

#include "AudioPlayback.h"
#include "core/AppError.h"
#include "core/SerialQueue.h"

#include <QTimer>

#include <cstdlib>

namespace cadrelle {
namespace {

// Pictures the worker keeps ready ahead of the one shown.
constexpr int kPicturesAhead = 3;
// How often the clock is looked at while playing: often enough to show a
// 120-per-second movie's pictures on time.
constexpr int kTickMilliseconds = 4;
// The sound's position is trusted over the monotonic clock when they differ
// by more than this, in microseconds.
constexpr std::int64_t kSoundDrift = 40'000;
// How far the time shown moves before it is reported again, in milliseconds.
constexpr qint64 kReportStep = 100;

} // namespace

FfmpegMediaPlayer::FfmpegMediaPlayer(FfmpegPlayerOptions options, QObject* parent)
    : MediaPlayer(parent), sound_(options.sound), clock_(std::move(options.time)),
      worker_(std::make_unique<PlaybackWorker>(clock_, std::move(options.afterDecode), stop_)),
      liveGeneration_(std::make_shared<std::atomic<int>>(0)),
      queue_(std::make_unique<SerialQueue>("Recording playback")),
      converting_(std::make_unique<SerialQueue>("Recording pictures")), timer_(new QTimer(this)) {
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(kTickMilliseconds);
    connect(timer_, &QTimer::timeout, this, &FfmpegMediaPlayer::tick);
}

FfmpegMediaPlayer::~FfmpegMediaPlayer() {
    *liveGeneration_ = -1;
    stop_.cancel();
    queue_->stop(SerialQueue::StopMode::cancel);
    converting_->stop(SerialQueue::StopMode::cancel);
}

void FfmpegMediaPlayer::load(const QString& path) {
    const std::optional<AudioOutputFormat> format =
        sound_ ? std::optional(AudioOutputFormat{}) : std::nullopt;
    if (format) {
        audio_ = std::make_unique<AudioPlayback>();
    }
    post(
        [path = path.toStdString(), format](PlaybackWorker& worker, Delivery& delivery) {
            delivery.duration = worker.open(path, format);
            delivery.picture = worker.seek(0, delivery.audio);
        },
        true);
}

void FfmpegMediaPlayer::post(Job job, bool showNow) {
    ++inFlight_;
    queue_->async([this, worker = worker_.get(), live = liveGeneration_, generation = generation_,
                   size = wanted_, job = std::move(job), showNow] {
        if (*live != generation) {
            return;
        }
        auto delivery = std::make_shared<Delivery>();
        delivery->showNow = showNow;
        try {
            job(*worker, *delivery);
        } catch (const std::exception& failure) {
            delivery->error = QString::fromStdString(userDescription(failure));
        }
        // The picture is converted on a thread of its own while the worker
        // decodes the next one.
        converting_->async([this, live, generation, size, delivery] {
            if (*live != generation) {
                return;
            }
            if (delivery->picture && !size.isEmpty()) {
                delivery->picture->image = converter_.scale(*delivery->picture->decoded, size);
            }
            mailbox_.post([this, generation, delivery] { delivered(generation, *delivery); });
        });
    });
}

void FfmpegMediaPlayer::delivered(int generation, Delivery& delivery) {
    if (generation != generation_ || failed_) {
        return;
    }
    --inFlight_;
    if (!delivery.error.isEmpty()) {
        failed_ = true;
        stopPlaying();
        emit failed(delivery.error);
        return;
    }
    if (delivery.duration) {
        opened_ = true;
        duration_ = *delivery.duration;
        emit durationChanged(duration());
    }
    if (audio_) {
        for (AudioChunk& chunk : delivery.audio) {
            audio_->add(std::move(chunk));
        }
    }
    if (!delivery.picture) {
        ended_ = true;
    } else if (delivery.showNow) {
        show(std::move(*delivery.picture));
    } else {
        pictures_.push_back(std::move(*delivery.picture));
    }
    requestPictures();
}

void FfmpegMediaPlayer::requestPictures() {
    while (opened_ && !failed_ && !ended_ && int(pictures_.size()) + inFlight_ < kPicturesAhead) {
        post([](PlaybackWorker& worker,
                Delivery& delivery) { delivery.picture = worker.next(delivery.audio); },
             false);
    }
}

void FfmpegMediaPlayer::play() {
    if (!opened_ || failed_ || playing_) {
        return;
    }
    if (ended_ && pictures_.empty() && clock_.now() >= duration_) {
        setPosition(0);
    }
    playing_ = true;
    clock_.start();
    if (audio_) {
        audio_->play();
    }
    timer_->start();
    emit playingChanged(true);
}

void FfmpegMediaPlayer::pause() {
    if (!playing_) {
        return;
    }
    stopPlaying();
    reportPosition(true);
}

void FfmpegMediaPlayer::stopPlaying() {
    if (!playing_) {
        return;
    }
    playing_ = false;
    clock_.stop();
    timer_->stop();
    if (audio_) {
        audio_->pause();
    }
    emit playingChanged(false);
}

void FfmpegMediaPlayer::setPosition(qint64 position) {
    if (!opened_ || failed_) {
        return;
    }
    const std::int64_t time = std::clamp<std::int64_t>(position * 1000, 0, duration_);
    *liveGeneration_ = ++generation_;
    pictures_.clear();
    inFlight_ = 0;
    ended_ = false;
    clock_.set(time);
    if (audio_) {
        audio_->clear();
        if (playing_) {
            audio_->play();
        }
    }
    post([time](PlaybackWorker& worker,
                Delivery& delivery) { delivery.picture = worker.seek(time, delivery.audio); },
         true);
    reportPosition(true);
}

void FfmpegMediaPlayer::tick() {
    if (audio_) {
        audio_->feed();
        const std::optional<std::int64_t> heard = audio_->position();
        if (heard && std::llabs(*heard - clock_.now()) > kSoundDrift) {
            clock_.set(*heard);
        }
    }
    const std::int64_t now = clock_.now();
    // The latest picture whose time has come; earlier ones came too late.
    std::optional<PlaybackPicture> due;
    while (!pictures_.empty() && pictures_.front().time <= now) {
        due = std::move(pictures_.front());
        pictures_.pop_front();
    }
    if (due) {
        show(std::move(*due));
    }
    if (ended_ && pictures_.empty() && now >= duration_) {
        clock_.set(duration_);
        stopPlaying();
        reportPosition(true);
        return;
    }
    reportPosition(false);
    requestPictures();
}

void FfmpegMediaPlayer::show(PlaybackPicture picture) {
    current_ = std::move(picture);
    emit frameChanged();
}

void FfmpegMediaPlayer::reportPosition(bool always) {
    const qint64 shown = position();
    if (always || std::llabs(shown - reported_) >= kReportStep) {
        reported_ = shown;
        emit positionChanged(shown);
    }
}

qint64 FfmpegMediaPlayer::position() const {
    return std::clamp<std::int64_t>(clock_.now(), 0, duration_) / 1000;
}

qint64 FfmpegMediaPlayer::duration() const {
    return duration_ / 1000;
}

bool FfmpegMediaPlayer::isPlaying() const {
    return playing_;
}

QSize FfmpegMediaPlayer::frameSize() const {
    return current_.decoded ? QSize(current_.decoded->width, current_.decoded->height) : QSize();
}

QImage FfmpegMediaPlayer::frame(QSize size) const {
    // Later pictures are converted at this size on the worker.
    wanted_ = size;
    if (current_.decoded && current_.image.size() != size) {
        current_.image = scaler_.scale(*current_.decoded, size);
    }
    return current_.image;
}

} // namespace cadrelle
